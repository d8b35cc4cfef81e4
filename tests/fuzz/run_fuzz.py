"""Builds the binary seed corpus from seeds.txt and runs the interval-count fuzzer on it: for a
bounded time with libFuzzer, or once over the seeds where the compiler has no libFuzzer.

    run_fuzz.py <fuzzer> <seeds.txt> <seconds, or 0 to replay the seeds only>
"""

import os
import re
import struct
import subprocess
import sys
import tempfile

CODES = ["s", "n", "h", "ww", "d", "m", "yyyy"]


def date_time(text):
    raw = text.startswith("raw:")
    text = text.removeprefix("raw:")
    date, time = text.rsplit("T", 1)
    year, month, day = re.fullmatch(r"(-?\d+)-(\d+)-(\d+)", date).groups()
    hour, minute, second = (int(v) for v in time.split(":"))
    year, month, day = int(year), int(month), int(day)
    if raw:  # fields as they are: scale 3 keeps the year, the high bit keeps the fields
        return struct.pack("<Bq5B", 0x83, year, month, day, hour, minute, second)
    # scale 3 keeps the year; the fuzzer maps the other bytes back onto valid fields.
    return struct.pack("<Bq5B", 3, year, month - 1, day - 1, hour, minute, second)


def seed(line):
    code, first, second, weekday = line.split()
    selector = CODES.index(code) if code in CODES else 224
    data = struct.pack("<BB", selector, int(weekday)) + date_time(first) + date_time(second)
    return data if code in CODES else data + code.encode()


def main():
    fuzzer, seeds, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with tempfile.TemporaryDirectory() as work:
        corpus = os.path.join(work, "seeds")
        os.mkdir(corpus)
        with open(seeds) as f:
            lines = [line for line in f.read().splitlines() if line and not line.startswith("#")]
        for i, line in enumerate(lines):
            with open(os.path.join(corpus, f"seed{i:02}"), "wb") as out:
                out.write(seed(line))
        if seconds == 0:
            paths = sorted(os.path.join(corpus, name) for name in os.listdir(corpus))
            return subprocess.run([fuzzer, *paths]).returncode
        # New inputs go to a corpus of the run's own; the seeds in the repository stay as they are.
        grown = os.path.join(work, "corpus")
        os.mkdir(grown)
        result = subprocess.run([fuzzer, f"-max_total_time={seconds}", "-print_final_stats=1",
                                 "-timeout=5", grown, corpus], capture_output=True, text=True)
        sys.stdout.write(result.stdout)
        sys.stderr.write(result.stderr[-4000:])
        runs = re.search(r"stat::number_of_executed_units:\s*(\d+)", result.stderr)
        print(f"fuzzing: {runs.group(1) if runs else '?'} executions, "
              f"{'no mismatch' if result.returncode == 0 else 'FAILED'}")
        return result.returncode


if __name__ == "__main__":
    sys.exit(main())
