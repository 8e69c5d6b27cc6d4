#!/usr/bin/python3
"""Makes the README's pictures with the end-to-end tooling: the real pictorn.exe under Wine on
a private display, whose desktop is a drawn stand-in for a user's.

    /usr/bin/python3 tests/e2e/readme_pictures.py --build build/win [--out docs/pictures]

rectangle_selection.png: the overlay during a keyboard selection, with the magnifier and its
readout; main_window.png: the main window with the picture that selection made."""

import argparse
import os
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
CMD_RECTANGLE = 1016


def desktop_picture(path, width, height):
    """A gradient desktop with two flat 'windows' holding a little text and a chart."""
    subprocess.run([
        "convert", "-size", f"{width}x{height}", "gradient:#2b5876-#4e4376",
        "-font", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "-fill", "#f4f4f4", "-draw", "rectangle 120,90 760,520",
        "-fill", "#3c78d8", "-draw", "rectangle 120,90 760,118",
        "-fill", "white", "-pointsize", "16", "-annotate", "+132+110", "Quarterly report",
        "-fill", "#333333", "-pointsize", "14",
        "-annotate", "+140+150", "Region      Q1     Q2     Q3",
        "-annotate", "+140+175", "North      120    135    160",
        "-annotate", "+140+200", "South       98    110    104",
        "-fill", "#e69138", "-draw", "rectangle 160,330 200,470",
        "-fill", "#6aa84f", "-draw", "rectangle 220,300 260,470",
        "-fill", "#cc0000", "-draw", "rectangle 280,260 320,470",
        "-fill", "#999999", "-draw", "rectangle 150,470 520,472",
        "-fill", "#fafafa", "-draw", "rectangle 820,300 1180,700",
        "-fill", "#444444", "-draw", "rectangle 820,300 1180,326",
        "-fill", "white", "-annotate", "+832+318", "Notes",
        "-fill", "#222222", "-annotate", "+836+360", "Pixel-exact crops, keyboard included.",
        str(path)], check=True, timeout=60)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, type=Path)
    parser.add_argument("--out", type=Path, default=HERE.parent.parent / "docs" / "pictures")
    options = parser.parse_args()
    build = options.build.resolve()
    work = Path(tempfile.mkdtemp(prefix="readme-pictures-", dir=build))
    os.environ["PICTORN_EXE"] = str(build / "src" / "pictorn.exe")
    os.environ["PICTORN_E2E_DRIVER"] = str(build / "tests" / "e2e_driver.exe")
    os.environ["PICTORN_E2E_WORK"] = str(work)
    sys.path.insert(0, str(HERE))
    import support
    from driver_client import Driver
    from picture_checks import paint_root
    from pictorn_case import MAIN_TITLE, SETTINGS_KEY
    from wineprefix import WinePrefix
    from xdisplay import HEIGHT, WIDTH, XDisplay

    options.out.mkdir(parents=True, exist_ok=True)
    display = XDisplay(work / "x")
    process = None
    try:
        display.start()
        template = support.wine_template() or WinePrefix.ensure_template(
            build / "e2e" / "wine-template")
        prefix = WinePrefix(work / "prefix", display.env())
        prefix.clone_from(template)
        prefix.start_server()
        driver = Driver(prefix)
        desktop_picture(work / "desktop.png", WIDTH, HEIGHT)
        paint_root(display, work / "desktop.png", WIDTH, HEIGHT)
        prefix.reg_add(SETTINGS_KEY, "PlaySound", "REG_SZ", "0")
        process = prefix.start([support.pictorn_exe()])
        main_window = driver.wait_window(MAIN_TITLE, timeout=30).first
        pid = main_window["pid"]

        def xdotool(*args):
            display.run(["xdotool", *map(str, args)])

        def shot(name, left, top, right, bottom):
            whole = work / "whole.png"
            display.screenshot(whole)
            subprocess.run(["convert", str(whole), "-crop",
                            f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                            str(options.out / name)], check=True, timeout=60)

        def main_back():
            info = driver.window_info(MAIN_TITLE, pid=pid)
            return info.ok and info.first

        driver.post_command(MAIN_TITLE, CMD_RECTANGLE, pid=pid)
        support.poll(lambda: not main_back(), 10)
        support.poll(lambda: False, 1.0)
        xdotool("mousemove", 140, 130)
        xdotool("key", "Return", *["shift+Right"] * 42, *["shift+Down"] * 36)
        support.poll(lambda: False, 1.0)
        shot("rectangle_selection.png", 100, 80, 800, 690)
        xdotool("key", "Return")
        rect = support.poll(main_back, 30)
        support.poll(lambda: False, 1.5)  # the picture is drawn after the window returns
        # The window manager's frame lies around the window's own rectangle.
        shot("main_window.png", max(int(rect["left"]) - 4, 0), max(int(rect["top"]) - 24, 0),
             min(int(rect["right"]) + 4, WIDTH), min(int(rect["bottom"]) + 4, HEIGHT))
    finally:
        if process is not None and process.poll() is None:
            process.kill()
            process.wait()
        support.stop_all_live()
    print(f"pictures in {options.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
