#!/usr/bin/python3
# The whole program, used as a person uses it, on a real X server with a window
# manager: the balloon over a hot-spot, a split through the Split & Join window
# into 100 KB volumes with a comment (files added by typing their names in the
# file dialog), the set checked with parvex-cli, joined back into a folder and
# compared, the About window, the Tools menu with System Information and the
# Connect dialog, minimising and exit. Only the mouse and the keyboard drive
# it; only window titles and sizes, screenshots and files are read.
#
#   tests/desktop/user_test.py [--build DIR] [--runs N]
#
# Screenshots of each run go to DIR/desktop-test/run-K/.

import argparse
import filecmp
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, Failure, difference, near, share_of, wait_for  # noqa: E402

MAIN_SIZE = (440, 270)
# Hot-spots: the middle of each, from the window's top-left corner.
SPLIT_JOIN, ABOUT, TOOLS, EXIT, MINIMIZE = (67, 178), (264, 224), (176, 224), (297, 128), (256, 128)
TOOLS_CORNER = (160 + 32, 208)  # the Tools hot-spot's top-right corner
LAMPS = [(104, 120), (133, 113), (161, 109), (191, 106), (219, 104)]
MAROON = (128, 0, 0)

# The Split & Join window (its own caption bar included), from its top-left corner.
SJ_SIZE = (670, 478)
SJ_SPLIT_TAB, SJ_JOIN_TAB, SJ_CLOSE_BOX = (27, 39), (76, 39), (656, 11)
SJ_ADD, SJ_COMMENT, SJ_VOLUME_SIZE, SJ_EXECUTE = (29, 78), (295, 78), (217, 117), (482, 73)
SJ_LIST = (10, 150, 660, 455)
SJ_OPEN, SJ_RESTORE_TO, SJ_JOIN = (63, 72), (443, 195), (598, 429)
SJ_COMMENT_SHOWN = (22, 353, 234, 371)

SI_SIZE = (831, 472)
SI_REFRESH, SI_EXIT, SI_TREE_EMPTY = (66, 46), (765, 46), (130, 430)
SI_LIST = (290, 100, 820, 440)


def lit(image, main):
    """Which lamps are lit (yellow) on the main window at `main`."""
    x0, y0 = main[1], main[2]
    found = []
    for number, (x, y) in enumerate(LAMPS):
        r, g, b = image.getpixel((x0 + x + 7, y0 + y + 7))
        if r > 170 and g > 170 and b < 110:
            found.append(number + 1)
    return found


def at(window, point):
    return window[1] + point[0], window[2] + point[1]


class Scenario:
    def __init__(self, build, shots):
        self.build = os.path.abspath(build)
        self.desktop = Desktop(shots)
        self.work = tempfile.mkdtemp(prefix="parvex-user-")
        self.step = "start"

    def check(self, condition, what):
        if not condition:
            raise Failure("%s: %s" % (self.step, what))

    def light_runs(self, main, what):
        first = lit(self.desktop.screenshot("light-" + what), main)
        self.check(len(first) == 1, "one lamp lit (%s), found %s" % (what, first))
        wait_for("the running light to move on (%s)" % what,
                 lambda: lit(self.desktop.screenshot("light-" + what), main) not in ([], first), timeout=3)

    def light_still(self, main, what):
        first = lit(self.desktop.screenshot("still-" + what), main)
        time.sleep(0.9)
        second = lit(self.desktop.screenshot("still-" + what), main)
        self.check(first == second and len(first) == 1, "light standing still (%s): %s, %s" % (what, first, second))

    def type_in_file_dialog(self, title, path):
        dialog = self.desktop.window(title)
        time.sleep(0.3)
        self.desktop.type(path)
        self.desktop.key("Return")
        self.desktop.gone("^%s$" % title.strip("^$"))
        return dialog

    def run(self):
        d = self.desktop
        d.start()
        files = self.make_files()
        out = os.path.join(self.work, "out")
        restored = os.path.join(self.work, "restored")
        os.makedirs(out)
        os.makedirs(restored)
        program = d.launch(["dbus-run-session", "--", os.path.join(self.build, "bin", "parvex")], "parvex.log")

        self.step = "start-up"
        main = d.window("^Parvex$", MAIN_SIZE)
        d.screenshot("main-window")
        self.light_runs(main, "at-start")

        self.step = "balloon"
        before = d.screenshot("before-hover")
        spot = at(main, SPLIT_JOIN)
        d.hover(*spot)
        around = (spot[0] - 60, spot[1] - 20, spot[0] + 340, spot[1] + 200)
        wait_for("the balloon over Split & Join",
                 lambda: share_of(d.screenshot("balloon"), around, MAROON, 30) > share_of(before, around, MAROON, 30)
                 + 0.03, timeout=6)
        d.hover(5, 1000)
        time.sleep(0.5)

        # Out of the way of the windows that open over the middle of the screen.
        main = self.drag_main(main, (60, 40))
        self.split_and_join(main, files, out, restored)
        # Half under the About window, the lamps in sight.
        main = self.drag_main(main, (200, 200))
        self.about(main)
        main = self.drag_main(main, (60, 40))
        self.system_information(main)
        self.connect_dialog(main)

        self.step = "minimise"
        d.click(*at(main, MINIMIZE))
        wait_for("the main window minimised", lambda: d.state(main[0]) == "Iconic", 5)
        d.screenshot("minimised")
        d.xdotool("windowactivate", main[0])  # as the task bar's button does
        wait_for("the main window back", lambda: d.state(main[0]) == "Normal", 5)
        main = d.window("^Parvex$", MAIN_SIZE)
        self.light_runs(main, "after-minimise")

        self.step = "exit"
        d.click(*at(main, EXIT))
        try:
            code = program.wait(10)
        except subprocess.TimeoutExpired:
            raise Failure("exit: the program did not end")
        self.check(code == 0, "the program ended with %d" % code)

    def drag_main(self, main, where):
        """Drags the main window by its picture (the name plate) to `where`."""
        self.step = "drag"
        self.desktop.drag(at(main, (220, 40)), (where[0] + 220, where[1] + 40))
        moved = wait_for("the main window at %d, %d" % where,
                         lambda: next((w for w in self.desktop.visible_windows("^Parvex$")
                                       if tuple(w[3:5]) == MAIN_SIZE and tuple(w[1:3]) == tuple(where)), None), 5)
        self.desktop.screenshot("dragged")
        return moved

    def make_files(self):
        source = os.path.join(self.work, "source")
        os.makedirs(source)
        text = os.path.join(source, "notes.txt")
        with open(text, "w") as f:
            for n in range(6000):
                f.write("Line %d of the notes that go into a volume set.\n" % n)
        binary = os.path.join(source, "data.bin")
        with open(binary, "wb") as f:
            f.write(random.Random(7).randbytes(260 * 1024))
        return [text, binary]

    def split_and_join(self, main, files, out, restored):
        d = self.desktop
        self.step = "split"
        d.click(*at(main, SPLIT_JOIN))
        sj = d.window("^Join & Split$", SJ_SIZE)
        self.light_still(main, "split-join-open")
        d.click(*at(sj, SJ_SPLIT_TAB))
        empty_list = d.screenshot("split-page")
        for path in files:
            d.click(*at(sj, SJ_ADD))
            self.type_in_file_dialog("^Open$", path)
        listed = d.screenshot("files-added")
        list_box = (sj[1] + SJ_LIST[0], sj[2] + SJ_LIST[1], sj[1] + SJ_LIST[2], sj[2] + SJ_LIST[3])
        self.check(difference(empty_list, listed, list_box) > 0.005, "the files show in the list")
        d.click(*at(sj, SJ_COMMENT))
        d.type("Holiday pictures, disk set")
        d.click(*at(sj, SJ_VOLUME_SIZE))
        d.type("100")
        d.screenshot("split-filled")
        d.click(*at(sj, SJ_EXECUTE))
        self.type_in_file_dialog("^Save As$", os.path.join(out, "holiday"))
        wait_for("the message after the split",
                 lambda: [w for w in d.visible_windows("^Parvex$") if tuple(w[3:5]) != MAIN_SIZE])
        d.screenshot("split-done")
        d.key("Return")
        wait_for("the message to go", lambda: not [w for w in d.visible_windows("^Parvex$")
                                                   if tuple(w[3:5]) != MAIN_SIZE], 5)
        volumes = sorted(os.listdir(out))
        self.check(volumes[:2] == ["holiday.002", "holiday.003"] and "holiday.PX" in volumes,
                   "volumes of 100 KB: %s" % volumes)
        # A volume ends at the first block that finds it full: past 100 KB by
        # one stored block and the continuation record at most.
        for name in volumes:
            self.check(os.path.getsize(os.path.join(out, name)) <= 100 * 1024 + 32800, name + " near 100 KB")
        test = d.run([os.path.join(self.build, "bin", "parvex-cli"), "test", os.path.join(out, "holiday.PX")])
        self.check(test.returncode == 0, "parvex-cli test: " + test.stdout + test.stderr)

        self.step = "join"
        d.click(*at(sj, SJ_JOIN_TAB))
        before = d.screenshot("join-page")
        d.click(*at(sj, SJ_OPEN))
        self.type_in_file_dialog("^Open$", os.path.join(out, "holiday.PX"))
        shown = d.screenshot("set-opened")
        comment_box = (sj[1] + SJ_COMMENT_SHOWN[0], sj[2] + SJ_COMMENT_SHOWN[1], sj[1] + SJ_COMMENT_SHOWN[2],
                       sj[2] + SJ_COMMENT_SHOWN[3])
        self.check(difference(before, shown, comment_box) > 0.02, "the set's comment shows")
        # What it says, as a person reads it by selecting it.
        d.drag((comment_box[0] + 3, comment_box[1] + 9), (comment_box[2] - 3, comment_box[1] + 9))
        selected = d.run(["xclip", "-o", "-selection", "primary"]).stdout
        self.check(selected.strip() == "Holiday pictures, disk set", "the comment reads %r" % selected)
        d.click(*at(sj, SJ_RESTORE_TO))
        d.type(restored)
        d.click(*at(sj, SJ_JOIN))
        names = [os.path.basename(p) for p in files]
        wait_for("the joined files",
                 lambda: all(os.path.exists(os.path.join(restored, n)) and
                             os.path.getsize(os.path.join(restored, n)) == os.path.getsize(p)
                             for n, p in zip(names, files)), 20)
        time.sleep(0.5)
        for name, path in zip(names, files):
            self.check(filecmp.cmp(path, os.path.join(restored, name), shallow=False), name + " joined unchanged")
        d.screenshot("joined")
        d.click(*at(sj, SJ_CLOSE_BOX))
        d.gone("^Join & Split$")
        self.light_runs(main, "after-split-join")

    def about(self, main):
        d = self.desktop
        self.step = "about"
        d.click(*at(main, ABOUT))
        about = d.window("^About!$", (471, 256))
        # Shown without waiting: the light runs on with the About window open.
        self.light_runs(main, "about-open")
        d.screenshot("about-over-main")
        d.click(*at(about, (23 + 51, 163 + 22)))  # "Close"
        d.gone("^About!$")

    def tools_menu(self, main, item_offset, what):
        d = self.desktop
        corner = at(main, TOOLS_CORNER)
        inside = (corner[0] + 3, corner[1] + 3, corner[0] + 40, corner[1] + 40)
        before = d.screenshot("before-menu")
        d.click(*at(main, TOOLS))
        wait_for("the Tools menu", lambda: difference(before, d.screenshot("tools-menu"), inside) > 0.8, 5)
        shot = d.screenshot("tools-menu-" + what)
        # The menu's top-left corner at the hot-spot's top-right corner: its
        # colour fills the square right of and below the corner, and neither
        # the strip left of it nor the one above it.
        colours = sorted(shot.crop(inside).getcolors(4096) or [], reverse=True)
        self.check(colours, "the menu's colour")
        face = colours[0][1]
        left = (corner[0] - 10, corner[1] + 3, corner[0] - 2, corner[1] + 40)
        above = (corner[0] + 3, corner[1] - 10, corner[0] + 40, corner[1] - 2)
        self.check(share_of(shot, inside, face, 8) > 0.6, "the menu right of and below the corner")
        self.check(share_of(shot, left, face, 8) < 0.3 and share_of(shot, above, face, 8) < 0.3,
                   "the menu starts at the corner")
        d.click(corner[0] + 60, corner[1] + item_offset)

    def system_information(self, main):
        d = self.desktop
        self.step = "system information"
        self.tools_menu(main, 56, "system-information")
        si = d.window("^Parvex - System Information$", SI_SIZE)
        self.light_still(main, "system-information-open")
        d.click(*at(si, SI_TREE_EMPTY))
        d.key("ctrl+Next")  # every node open
        d.key("Home")
        pages = 0
        list_box = (si[1] + SI_LIST[0], si[2] + SI_LIST[1], si[1] + SI_LIST[2], si[2] + SI_LIST[3])
        for n in range(16):
            time.sleep(0.25)
            shot = d.screenshot("system-information-page-%d" % n)
            # A page shows as the black Parameter/Value list with its white rows.
            if share_of(shot, list_box, (0, 0, 0), 10) > 0.6 and share_of(shot, list_box, (255, 255, 255), 60) > 0.002:
                pages += 1
            d.key("Down")
        self.check(pages >= 8, "pages shown: %d" % pages)
        d.click(*at(si, SI_REFRESH))
        time.sleep(1.0)
        d.screenshot("system-information-refreshed")
        d.click(*at(si, SI_EXIT))
        d.gone("^Parvex - System Information$")
        # Back to the main window, which becomes the active one again.
        wait_for("the main window active", lambda: d.active() == main[0], 5)
        self.light_runs(main, "after-system-information")

    def connect_dialog(self, main):
        d = self.desktop
        self.step = "connect dialog"
        self.tools_menu(main, 10, "connect")
        d.window("^Connect Network Drive$")
        d.screenshot("connect-dialog")
        d.key("Escape")
        d.gone("^Connect Network Drive$")
        self.light_runs(main, "after-connect-dialog")

    def cleanup(self):
        self.desktop.stop()
        shutil.rmtree(self.work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "..", "build"))
    parser.add_argument("--runs", type=int, default=1)
    args = parser.parse_args()
    passed = 0
    for run in range(1, args.runs + 1):
        shots = os.path.join(os.path.abspath(args.build), "desktop-test", "run-%d" % run)
        shutil.rmtree(shots, ignore_errors=True)
        scenario = Scenario(args.build, shots)
        started = time.monotonic()
        try:
            scenario.run()
            passed += 1
            print("desktop test run %d: passed in %.0f s" % (run, time.monotonic() - started), flush=True)
        except Failure as failure:
            print("desktop test run %d: FAILED: %s (screenshots in %s)" % (run, failure, shots), flush=True)
        finally:
            scenario.cleanup()
    print("desktop test: %d of %d runs passed" % (passed, args.runs))
    return 0 if passed == args.runs else 1


if __name__ == "__main__":
    sys.exit(main())
