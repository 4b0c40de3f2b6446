# Pitch of every recording in a list, as the reference for the final pitch
# movement of the comparison's labelled pairs: one text file per recording,
# named after it with ".ac.f0" or ".cc.f0" (the method), one "seconds hertz"
# line per 10-ms frame (0 where unvoiced).
#   praat --run compare_pitch.praat LISTFILE OUTDIR ac|cc
form Pitch listing
  sentence listfile list.txt
  sentence outdir out
  word method ac
endform
list = Read Strings from raw text file: listfile$
n = Get number of strings
for i to n
  selectObject: list
  path$ = Get string: i
  sound = Read from file: path$
  name$ = selected$ ("Sound")
  # Two passes: the first finds the speaker's range, the second looks for
  # the pitch only from a little below it to an octave above, which keeps
  # octave jumps out of the ends of phrases.
  if method$ = "ac"
    first = To Pitch (ac): 0.01, 60, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 650
  else
    first = To Pitch (cc): 0.01, 60, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 650
  endif
  q25 = Get quantile: 0, 0, 0.25, "Hertz"
  q75 = Get quantile: 0, 0, 0.75, "Hertz"
  removeObject: first
  selectObject: sound
  floor = 60
  ceiling = 650
  if q25 <> undefined
    floor = max (50, 0.7 * q25)
    ceiling = min (900, 2 * q75)
  endif
  if method$ = "ac"
    pitch = To Pitch (ac): 0.01, floor, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, ceiling
  else
    pitch = To Pitch (cc): 0.01, floor, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, ceiling
  endif
  frames = Get number of frames
  text$ = ""
  for k to frames
    t = Get time from frame number: k
    f = Get value in frame: k, "Hertz"
    if f = undefined
      f = 0
    endif
    text$ = text$ + fixed$ (t, 3) + " " + fixed$ (f, 2) + newline$
  endfor
  writeFile: outdir$ + "/" + name$ + "." + method$ + ".f0", text$
  removeObject: sound, pitch
endfor
