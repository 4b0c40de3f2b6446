#!/usr/bin/env python3
"""Writes the seed corpus of the phrase-file fuzzer into fuzz/corpus/.

Each seed is a small phrase sound file: ordinary ones, and ones that sit on
the edges the reader must handle (odd sizes, missing or misplaced chunks,
sizes that claim more than the file holds, full step and pitch tables).
Run it again after changing a seed; the files are kept in the repository.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")


def chunk(cid, data, pad=True, size=None):
    size = len(data) if size is None else size
    out = cid + struct.pack("<I", size) + data
    if pad and len(data) % 2:
        out += b"\0"
    return out


def riff(body, form=b"WAVE"):
    return b"RIFF" + struct.pack("<I", len(body) + 4) + form + body


def fmt(tag=1, channels=1, rate=22050, bits=16):
    align = channels * bits // 8
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)


def text(t):
    return bytes((c + 128) % 256 for c in t) + b"\0"


def steps(start, end, table):
    values = [start, end]
    for s in table:
        values += list(s)
    return struct.pack("<%di" % len(values), *values)


def pitch(points):
    flat = [v for p in points for v in p]
    return struct.pack("<%di" % len(flat), *flat)


def samples(n):
    return struct.pack("<%dh" % n, *[(i * 37) % 2000 - 1000 for i in range(n)])


def standard(order=("fmt", "snt", "stp", "data", "ptc"), **over):
    parts = {
        "fmt": chunk(b"fmt ", fmt()),
        "snt": chunk(b"snt ", text(b"Is it raining?")),
        "stp": chunk(b"stp ", steps(10, 199, [(10, 79, 12, 75, 0, 0, 900),
                                              (80, 199, 82, 190, 3, 4, 1800)])),
        "data": chunk(b"data", samples(200)),
        "ptc": chunk(b"ptc ", pitch([(20, 1500), (60, 1540), (100, 0), (150, 1300)])),
    }
    parts.update(over)
    return riff(b"".join(parts[k] for k in order))


def seeds():
    yield "native", standard()
    yield "abc_even_text_pad", standard(snt=chunk(b"snt ", text(b"ab")))
    yield "empty_text", standard(snt=chunk(b"snt ", b""))
    yield "long_text", standard(snt=chunk(b"snt ", text(b"x" * 300)))
    yield "fmt18", standard(fmt=chunk(b"fmt ", fmt() + b"\0\0"))
    yield "no_text", riff(chunk(b"fmt ", fmt()) + chunk(b"stp ", steps(0, 9, []))
                          + chunk(b"data", samples(10)) + chunk(b"ptc ", b""))
    yield "stp8", standard(stp=chunk(b"stp ", steps(5, 50, [])))
    full = [(i * 10, i * 10 + 9, i * 10, i * 10 + 9, 0, 0, 100 + i) for i in range(300)]
    yield "stp2101", standard(stp=chunk(b"stp ", steps(0, 2999, full)[:2101 * 4]))
    yield "stp2102", standard(stp=chunk(b"stp ", steps(0, 2999, full)))
    yield "stp_odd_sizes", standard(stp=chunk(b"stp ", steps(0, 9, [(0, 9, 0, 9, 0, 0, 5)])[:30]))
    yield "stp_high", standard(stp=chunk(b"stp ", steps(0, 99, [(0, 0, 0, 0, 0, 0, 40000),
                                                                 (-2**31, 2**31 - 1, 0, 0, 0, 0,
                                                                  -5)])))
    yield "ptc_first", riff(chunk(b"ptc ", pitch([(1, 2)])) + chunk(b"fmt ", fmt())
                            + chunk(b"snt ", text(b"hi")) + chunk(b"stp ", steps(0, 3, []))
                            + chunk(b"data", samples(4)))
    yield "ptc_empty", standard(ptc=chunk(b"ptc ", b""))
    yield "ptc_odd", standard(ptc=chunk(b"ptc ", pitch([(1, 2), (3, 4)])[:12]))
    yield "ptc10000", standard(ptc=chunk(b"ptc ", b"", size=80000))
    yield "data_before_stp", standard(order=["fmt", "snt", "data", "stp", "ptc"])
    yield "data_odd", standard(data=chunk(b"data", samples(7) + b"\x01"))
    yield "data_oversized", riff(chunk(b"fmt ", fmt()) + chunk(b"snt ", text(b"a"))
                                 + chunk(b"stp ", steps(0, 1, []))
                                 + chunk(b"data", samples(8), size=0x7FFFFFF0))
    yield "data_huge", riff(chunk(b"fmt ", fmt()) + chunk(b"snt ", text(b"a"))
                            + chunk(b"stp ", steps(0, 1, [])) + chunk(b"data", b"", size=0xFFFFFFFF))
    yield "stp_oversized", riff(chunk(b"fmt ", fmt()) + chunk(b"snt ", text(b"a"))
                                + chunk(b"stp ", steps(0, 1, []), size=4000))
    yield "list_between", standard(snt=chunk(b"LIST", b"INFOISFT" + struct.pack("<I", 3) + b"ab\0\0")
                                   + chunk(b"snt ", text(b"Thirteen or thirty?")))
    yield "no_pad_last", riff(chunk(b"fmt ", fmt()) + chunk(b"snt ", text(b"a"))
                              + chunk(b"stp ", steps(0, 1, [])) + chunk(b"ptc ", b"")
                              + chunk(b"data", b"\1\2\3", pad=False))
    yield "truncated_header", standard()[:40]
    yield "not_riff", b"RIFX" + b"\0" * 20
    yield "empty", b""


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in os.listdir(OUT):
        os.remove(os.path.join(OUT, name))
    for name, data in seeds():
        with open(os.path.join(OUT, name + ".wav"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
