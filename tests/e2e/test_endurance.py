"""A minute of ticks and unit changes of the real program under valgrind's memcheck: no error and
no definite leak in our own code, and a heap that stays flat."""

import os
import re
import subprocess
import time
import unittest

from desktop import Desktop, wait_for

SECONDS = int(os.environ.get("COUNTDOWN3000_ENDURANCE_SECONDS", "60"))
# Frames of valgrind's own allocator, before the code that asked for the memory.
ALLOCATOR = re.compile(r": (malloc|calloc|realloc|operator new|operator new\[\]|memalign|"
                       r"posix_memalign|aligned_alloc) ")


def heap_in_use(pid):
    """Bytes on the heap now: everything memcheck's leak search counts, lost or reachable."""
    out = subprocess.run(["vgdb", f"--pid={pid}", "leak_check", "summary"], capture_output=True,
                         text=True, timeout=60).stdout
    kinds = re.findall(r"(definitely lost|indirectly lost|possibly lost|still reachable): "
                       r"([\d,]+) ", out)
    assert len(kinds) == 4, out
    return sum(int(n.replace(",", "")) for _, n in kinds)


def reports(log):
    """Memcheck's error and leak reports, each as (headline, stack lines)."""
    blocks, current = [], None
    for line in log.splitlines():
        text = re.sub(r"^==\d+== ?", "", line)
        if not text.strip():
            current = None
        elif current is None and not text.startswith(" "):
            current = (text, [])
            blocks.append(current)
        elif current is not None and re.match(r"\s+(at|by) 0x", text):
            current[1].append(text)
    return [b for b in blocks if b[1]]


def ours(frames, program):
    """Whether the code that did it, the first frame past the allocator, is this program's."""
    frame = next((f for f in frames if not ALLOCATOR.search(f)), "")
    return f"(in {program})" in frame or re.search(
        r"\((fmain|geometry|twips|units|interval_count|local_clock|run_time_error|framed_window|"
        r"caption_font|x11_window_manager|main)\.cpp:\d+\)", frame) is not None


class EnduranceTest(unittest.TestCase):
    def test_a_minute_under_valgrind(self):
        with Desktop() as desktop:
            log = os.path.join(desktop.dir, "memcheck.log")
            program = os.path.realpath(desktop.program)
            window = desktop.start(wrapper=["valgrind", "--leak-check=full",
                                            "--show-leak-kinds=definite", "--num-callers=40",
                                            "--vgdb=yes", f"--log-file={log}"])
            window.activate()
            # Warm up: every unit picked once, so that whatever the toolkit caches is in place
            # (a font for each length of count among it), waited for however slow the machine.
            window.key(*["Down"] * 6)
            wait_for("the years", lambda: len(window.title() or "x" * 11) <= 4, 30)
            window.key(*["Up"] * 6)
            wait_for("the seconds", lambda: len(window.title() or "") >= 10, 30)
            time.sleep(3)
            pid = window.process.pid
            start = heap_in_use(pid)
            keys = 0
            deadline = time.monotonic() + SECONDS
            while time.monotonic() < deadline:
                window.key("Down" if keys % 12 < 6 else "Up")
                keys += 1
                time.sleep(2)
            window.key("Home")
            time.sleep(2)
            end = heap_in_use(pid)
            desktop.x("xdotool", "windowactivate", "--sync", window.id, "key", "alt+F4")
            self.assertEqual(window.process.wait(60), 0)
            with open(log) as f:
                found = reports(f.read())

        mine = [(headline, frames) for headline, frames in found if ours(frames, program)]
        leaks = [h for h, _ in found if "definitely lost" in h]
        print(f"\n{keys} unit changes and {SECONDS} s of ticks; heap {start} -> {end} bytes; "
              f"{len(found)} memcheck reports ({len(leaks)} definite leaks), "
              f"{len(mine)} from our own code")
        self.assertEqual(mine, [])
        self.assertLess(end - start, 16 * 1024, "the heap grows")


if __name__ == "__main__":
    unittest.main(verbosity=2)
