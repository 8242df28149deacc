#!/usr/bin/env python3
"""Writes the two RAM loader images as Intel HEX text (CRLF lines): loader_fx2.hex and loader_an21xx.hex.

Layout of each image in the chip's RAM:
  0x0000       3 bytes: entry
  0x0040      16 bytes: signature block
                  0-7   "RAMLOAD1"
                  8     chip kind: 0xF2 for the FX2, 0x21 for the AN21xx family
                  9     format version (1)
                  10-11 body length L, little-endian
                  12-15 FNV-1a 32-bit hash of the body, little-endian
  0x0050       L bytes: body, in 16-byte records
  top          16 bytes: tail record (0x7FE0 for the FX2, 0x77E0 for the AN21xx)
The simulated chips run as a loader only when, at the release of the CPU reset, the signature block of their
own kind is in RAM and the body hashes to the value it carries. The bytes themselves are generated.
"""
import os

SIGNATURE_ADDRESS = 0x0040
BODY_ADDRESS = 0x0050
MAGIC = b"RAMLOAD1"


def fnv1a32(data):
    h = 0x811C9DC5
    for b in data:
        h ^= b
        h = (h * 0x01000193) & 0xFFFFFFFF
    return h


def generated_bytes(seed, n):
    out = bytearray()
    x = seed
    for _ in range(n):
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        out.append(x & 0xFF)
    return bytes(out)


def record(address, rtype, data):
    fields = bytes([len(data), address >> 8, address & 0xFF, rtype]) + data
    checksum = (-sum(fields)) & 0xFF
    return ":" + (fields + bytes([checksum])).hex().upper() + "\r\n"


def image(kind, seed, body_records, top):
    body = generated_bytes(seed, body_records * 16)
    signature = MAGIC + bytes([kind, 1]) + len(body).to_bytes(2, "little") + fnv1a32(body).to_bytes(4, "little")
    lines = [record(0x0000, 0, bytes([0x02, BODY_ADDRESS >> 8, BODY_ADDRESS & 0xFF]))]
    lines.append(record(SIGNATURE_ADDRESS, 0, signature))
    for i in range(body_records):
        lines.append(record(BODY_ADDRESS + 16 * i, 0, body[16 * i:16 * i + 16]))
    lines.append(record(top, 0, generated_bytes(seed ^ 0xA5A5A5A5, 16)))
    lines.append(record(0, 1, b""))
    return "".join(lines)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, kind, seed, body_records, top in (("loader_fx2.hex", 0xF2, 0x2F0C1D15, 202, 0x7FE0),
                                                ("loader_an21xx.hex", 0x21, 0x5EED2100, 175, 0x77E0)):
        with open(os.path.join(here, name), "w", newline="") as f:
            f.write(image(kind, seed, body_records, top))


if __name__ == "__main__":
    main()
