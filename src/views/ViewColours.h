#pragma once
// The colours of the six view boxes of the exercise screen and the fixed
// colours the views draw with. Native views are light green, the student's
// light cyan; the slight differences between boxes are deliberate and kept.
#include <QColor>

inline const QColor NativePitchBackColor{206, 255, 206};
inline const QColor NativeStressBackColor{206, 255, 206};
inline const QColor NativeSignalBackColor{207, 255, 207};
inline const QColor StudentPitchBackColor{207, 255, 255};
inline const QColor StudentStressBackColor{206, 255, 255};
inline const QColor StudentSignalBackColor{206, 255, 255};

// Contour and waveform colour: the platform's window text, black.
inline const QColor ViewForeColor{0, 0, 0};

// Stress bars: a normal bar is outlined black; a bar already heard during
// playback is solid dark green.
inline const QColor StressOutlineColor{0, 0, 0};
inline const QColor StressHighlightColor{0, 96, 1};

// Shading of the steps heard, ANDed into the pitch and signal views.
inline const QColor PlayedShadeColor{170, 170, 170};
