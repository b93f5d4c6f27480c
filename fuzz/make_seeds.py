#!/usr/bin/env python3
"""Writes the seed inputs of request_parser_fuzz into corpus/request_parser/."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "request_parser")


def u32(v):
    return struct.pack("<I", v)


def lst(*values):
    return u32(len(values)) + b"".join(values)


def boolean(v):
    return b"\x01" + (b"\x01" if v else b"\x00")


def num32(v):
    return b"\x07" + u32(v)


def num64(v):
    return b"\x09" + struct.pack("<Q", v)


def text(s):
    return b"\x0d" + u32(len(s)) + s


def record(*fields):
    return b"\x0f" + lst(*fields)


def array(*elements):
    return b"\x10" + u32(len(elements)) + b"".join(elements)


def request(method, *args):
    return u32(len(method)) + method + lst(*args)


def nested(depth):
    item = num32(1)
    for _ in range(depth):
        item = record(item)
    return item


SEEDS = {
    "empty_request": request(b""),
    "every_type": request(b"query", boolean(True), num32(0xDEADBEEF), num64(2**64 - 1),
                          text(b"\xc4\xe3\xba\xc3"), record(text(b"10.0.0.1"), num32(80)),
                          array(lst(num32(1), num32(2), num32(3)), lst())),
    "ip_scope_array": request(b"add_ip_scope_into_blacklist2",
                              array(*[lst(num32(i), num32(i + 9), num32(60)) for i in range(4)])),
    "depth_8": request(b"m", nested(8)),
    "reply_ok": u32(0x840C0000) + lst(array(lst(text(b"a"), text(b"b")))),
    "reply_failure": u32(0x183C0007) + lst(),
}

os.makedirs(OUT, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
