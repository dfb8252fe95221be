# The first bytes of sheet images, enough for the header reader: a JPEG, PNG,
# GIF or BMP header that gives a pixel size and nothing else. Used by the map
# creator benchmarks to make folders of tens of thousands of "scans" cheaply.
import struct


def jpeg(w, h):
    return (bytes.fromhex("FFD8FFE000104A46494600010100000100010000") + bytes.fromhex("FFC00011") + b"\x08"
            + struct.pack(">HH", h, w) + bytes.fromhex("03012200021101031101FFD9"))


def png(w, h):
    return bytes.fromhex("89504E470D0A1A0A0000000D49484452") + struct.pack(">II", w, h) + bytes.fromhex("0802000000") + b"\0" * 4


def gif(w, h):
    return b"GIF89a" + struct.pack("<HH", w, h) + b"\xf7\0\0"


def bmp(w, h):
    b = bytearray(54)
    b[0:2] = b"BM"
    b[14] = 40
    b[18:22] = struct.pack("<i", w)
    b[22:26] = struct.pack("<i", h)
    b[26] = 1
    b[28] = 24
    return bytes(b)


# Extension and maker, in the order the benchmarks cycle through them.
kinds = [("jpg", jpeg), ("png", png), ("gif", gif), ("bmp", bmp)]
