"""The installed binary is built the way a security-minded distribution builds it, as its ELF
headers, dynamic section, imports and code show."""

import os
import platform
import re
import subprocess
import unittest

PROGRAM = os.environ["COUNTDOWN3000"]


def readelf(*args, program=PROGRAM):
    return subprocess.run(["readelf", "-W", *args, program], capture_output=True, text=True,
                          check=True).stdout


class HardeningTest(unittest.TestCase):
    def test_position_independent_executable(self):
        self.assertIn("DYN (Position-Independent Executable file)", readelf("-h"))
        self.assertRegex(readelf("-d"), r"\(FLAGS_1\)\s+Flags:.*\bPIE\b")

    def test_full_relro_with_immediate_binding(self):
        self.assertRegex(readelf("-l"), r"\bGNU_RELRO\b")
        dynamic = readelf("-d")
        self.assertTrue(re.search(r"\(FLAGS\)\s+.*\bBIND_NOW\b", dynamic) or
                        re.search(r"\(FLAGS_1\)\s+Flags:.*\bNOW\b", dynamic), dynamic)

    def test_non_executable_stack(self):
        stack = re.search(r"GNU_STACK\s+(\S+\s+){5}(?P<flags>[RWE ]+?)\s+0x", readelf("-l"))
        self.assertIsNotNone(stack)
        self.assertNotIn("E", stack.group("flags"))

    def test_libraries_only_where_the_system_keeps_them(self):
        # The program ships no libraries of its own. A search path of its own would have the
        # loader look beside the installed program first, and an empty entry in the build tree's
        # copy means the current folder.
        built = os.path.join(os.environ["COUNTDOWN3000_BUILD"], "app", "countdown3000")
        for program in (PROGRAM, built):
            with self.subTest(program=program):
                self.assertNotRegex(readelf("-d", program=program), r"\((RUNPATH|RPATH)\)")

    def test_stack_protector_and_fortified_calls(self):
        imports = set(re.findall(r"\bUND\s+(\w+)", readelf("--dyn-syms")))
        self.assertIn("__stack_chk_fail", imports)
        # With _FORTIFY_SOURCE the printf family is always routed to its checking variant; the
        # run-time error report prints with fprintf.
        self.assertIn("__fprintf_chk", imports)
        self.assertFalse(imports & {"printf", "fprintf", "sprintf", "snprintf", "vfprintf"})

    @unittest.skipUnless(platform.machine() == "x86_64", "control-flow protection is x86's")
    def test_control_flow_protection(self):
        # -fcf-protection starts every function that may be reached indirectly with endbr64.
        code = subprocess.run(["objdump", "-d", "--no-show-raw-insn", "--disassemble=main",
                               PROGRAM], capture_output=True, text=True, check=True).stdout
        first = re.search(r"<main>:\s*\n\s*[0-9a-f]+:\s*(\w+)", code)
        self.assertIsNotNone(first, code[-500:])
        self.assertEqual(first.group(1), "endbr64")


if __name__ == "__main__":
    unittest.main(verbosity=2)
