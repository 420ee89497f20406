"""The virtual X server's screen for scripts/soak and scripts/compare-peer: starting Xvfb on a free
display, reading the screen back through Xlib (ctypes, no third-party module), telling whether
anything is drawn on it, and saving it as a PNG.
"""
import ctypes
import ctypes.util
import os
import struct
import subprocess
import time
import zlib


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage; the function table after them is not needed.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


_ZPIXMAP = 2
_ALL_PLANES = ctypes.c_ulong(~0 & 0xFFFFFFFFFFFFFFFF)


def start_xvfb(width, height):
    """Xvfb on the first free display, at width x height x 24, on a black root, never resetting (a server that
    resets when its last client leaves refuses the next one for a moment). Returns (process, ":N")."""
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
                               "-nolisten", "tcp", "-noreset", "-br"],
                              pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    with os.fdopen(read_fd, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number.decode().strip()


class Screen:
    """A connection to the display that reads the whole screen back."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = None
        for _ in range(50):
            self.display = self.x11.XOpenDisplay(display.encode())
            if self.display:
                break
            time.sleep(0.1)
        if not self.display:
            raise RuntimeError(f"cannot open the display {display}")
        self.root = self.x11.XDefaultRootWindow(self.display)
        self.width = self.x11.XDisplayWidth(self.display, 0)
        self.height = self.x11.XDisplayHeight(self.display, 0)

    def capture(self, y=0, height=None):
        """Rows of the screen as (width, height, bytes per line, 32-bit pixels in the server's order)."""
        height = self.height - y if height is None else height
        image = self.x11.XGetImage(self.display, self.root, 0, y, self.width, height, _ALL_PLANES, _ZPIXMAP)
        if not image:
            return None
        try:
            img = image.contents
            size = img.bytes_per_line * img.height
            return img.width, img.height, img.bytes_per_line, ctypes.string_at(img.data, size)
        finally:
            self.x11.XDestroyImage(image)

    def anything_drawn(self, rows=32):
        """Whether any pixel on `rows` rows spread evenly down the screen is other than black: a
        fraction of a millisecond a look, where the whole screen takes a tenth of a second."""
        for i in range(rows):
            shot = self.capture((2 * i + 1) * self.height // (2 * rows), 1)
            # 24-bit colour in 32-bit pixels: the padding byte is 0 too on a black screen.
            if shot is not None and shot[3].strip(b"\x00"):
                return True
        return False

    def save_png(self, path):
        shot = self.capture()
        if shot is None:
            return False
        width, height, stride, data = shot
        raw = bytearray()
        for y in range(height):
            row = data[y * stride:y * stride + 4 * width]
            rgb = bytearray(3 * width)
            # Little-endian 24-bit TrueColor: blue, green, red, padding.
            rgb[0::3] = row[2::4]
            rgb[1::3] = row[1::4]
            rgb[2::3] = row[0::4]
            raw += b"\x00" + rgb

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
            out.write(chunk(b"IDAT", zlib.compress(bytes(raw), 6)))
            out.write(chunk(b"IEND", b""))
        return True
