"""Makes the README's picture of the game in play, docs/screenshot.png.

The release build (build-rel/, built when missing) runs under Xvfb at 1024x768 with an empty
per-user folder, BX2_AUTOPLAY=1 and BX2_FRAME_MS=16; a game is started through the menus by keys
(xdotool: N for a new game, N for Normal) and the screen is read back at the moments asked for.
Every moment is kept as build-rel/screenshot/at-<S>s.png at full size; the one named by --keep is
scaled to --width and written to docs/screenshot.png. Look at them: the autoplay is not the same
from run to run, so pick a moment that shows balls, bricks and the side panel.

Needs Xvfb, xdotool (scripts/soak installs both when missing) and cairo for Debian's python3
(scripts/install-deps --tools):

    /usr/bin/python3 tools/screenshot.py                  # moments 60, 90, ... 180 s, keeps 120
    /usr/bin/python3 tools/screenshot.py --at 30,60 --keep 60 --exe build-asan/bin/brondelvix2
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import cairo

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import x11_screen  # noqa: E402

TITLE = "Brondelvix 2!"


def build_release(build):
    exe = os.path.join(build, "bin", "brondelvix2")
    if not os.path.exists(exe):
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release", "-DBX2_TESTS=OFF",
                        "-DBX2_BENCHMARKS=OFF"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", build, "--target", "brondelvix2", "-j3"], check=True,
                       stdout=subprocess.DEVNULL)
    return exe


def scaled_copy(source, target, width):
    """The PNG at `source` scaled to `width` (its proportions kept) with cairo's best filter."""
    image = cairo.ImageSurface.create_from_png(source)
    factor = width / image.get_width()
    height = round(image.get_height() * factor)
    out = cairo.ImageSurface(cairo.FORMAT_RGB24, width, height)
    context = cairo.Context(out)
    context.scale(factor, factor)
    context.set_source_surface(image, 0, 0)
    context.get_source().set_filter(cairo.FILTER_BEST)
    context.paint()
    out.write_to_png(target)


def main():
    parser = argparse.ArgumentParser(description="The README's screenshot of the game in play.")
    parser.add_argument("--at", default="60,90,120,150,180",
                        help="seconds after the keys that start the game at which to read the screen "
                        "(default 60,90,120,150,180)")
    parser.add_argument("--keep", type=float, default=None,
                        help="the moment that becomes docs/screenshot.png (default the middle one of --at)")
    parser.add_argument("--width", type=int, default=800, help="width of docs/screenshot.png (default 800)")
    parser.add_argument("--build", default=os.path.join(ROOT, "build-rel"), help="the release build folder")
    parser.add_argument("--exe", default=None, help="the executable to run instead of the release build's")
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "screenshot.png"), help="the picture to write")
    args = parser.parse_args()
    moments = sorted(float(s) for s in args.at.split(","))
    keep = args.keep if args.keep is not None else moments[len(moments) // 2]
    if keep not in moments:
        parser.error(f"--keep {keep:g} is not one of --at {args.at}")
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing: scripts/soak installs it, or apt-get install xvfb xdotool")

    exe = args.exe or build_release(args.build)
    shots = os.path.join(args.build, "screenshot")
    os.makedirs(shots, exist_ok=True)
    home = tempfile.mkdtemp(prefix="bx2_screenshot_")
    server, display = x11_screen.start_xvfb(1024, 768)
    env = dict(os.environ, DISPLAY=display, HOME=home, XDG_DATA_HOME=os.path.join(home, ".local/share"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"), SDL_AUDIODRIVER="dummy", LIBGL_ALWAYS_SOFTWARE="1",
               BX2_AUTOPLAY="1", BX2_FRAME_MS="16", ASAN_OPTIONS="detect_leaks=0")
    for name in ("BX2_HEADLESS", "BX2_DATA_DIR", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    game = subprocess.Popen([exe], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        screen = x11_screen.Screen(display)
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^" + re.escape(TITLE) + "$"],
                               env=env, capture_output=True, text=True, timeout=120)
        window = found.stdout.split()[0] if found.stdout.split() else ""
        if not window:
            sys.exit("the game's window never appeared")
        subprocess.run(["xdotool", "windowfocus", window], env=env, stderr=subprocess.DEVNULL)
        time.sleep(3)  # the main menu fades in
        # New Game, Normal. A key pressed before the menu's buttons show is dropped, so a third N
        # follows: it chooses Normal if the first one went nowhere, and does nothing in play.
        for key in ("n", "n", "n"):
            subprocess.run(["xdotool", "key", key], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(1.5)
        start = time.monotonic()
        for moment in moments:
            time.sleep(max(0.0, start + moment - time.monotonic()))
            if game.poll() is not None:
                sys.exit(f"the game ended by itself, status {game.returncode}")
            path = os.path.join(shots, f"at-{moment:g}s.png")
            if not screen.save_png(path):
                sys.exit("the screen could not be read")
            print(path)
        os.makedirs(os.path.dirname(args.out), exist_ok=True)
        scaled_copy(os.path.join(shots, f"at-{keep:g}s.png"), args.out, args.width)
        print(f"{args.out}: the moment at {keep:g} s, {args.width} wide, {os.path.getsize(args.out) // 1024} KiB")
    finally:
        game.terminate()
        try:
            game.wait(timeout=10)
        except subprocess.TimeoutExpired:
            game.kill()
        server.terminate()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
