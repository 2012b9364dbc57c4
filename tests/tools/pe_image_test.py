#!/usr/bin/env python3
"""The PE reader and the import check, on copies of a real shipped program.

usage: pe_image_test.py PROGRAM I386_DLLS AMD64_DLLS   (PROGRAM.debug beside it)
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "pe")
sys.path.insert(0, TOOLS)
from pe_image import DIR_DELAY_IMPORT, PeError, PeImage  # noqa: E402

PROGRAM, I386_DLLS, AMD64_DLLS = sys.argv[1:4] if len(sys.argv) >= 4 else (None, None, None)


def read(path):
    with open(path, "rb") as f:
        return bytearray(f.read())


class PeImageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.data = read(PROGRAM)
        cls.image = PeImage(cls.data)
        cls.work = tempfile.mkdtemp()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work)

    def check(self, data):
        """(exit code, output) of check-imports on a patched copy of PROGRAM."""
        path = os.path.join(self.work, os.path.basename(PROGRAM))
        with open(path, "wb") as f:
            f.write(data)
        shutil.copy(PROGRAM + ".debug", path + ".debug")
        run = subprocess.run([sys.executable, os.path.join(TOOLS, "check-imports"), I386_DLLS, AMD64_DLLS, path],
                             capture_output=True, text=True)
        return run.returncode, run.stdout + run.stderr

    def file_offset(self, rva):
        return self.image.cursor_at(rva).offset

    def test_shipped_program_passes(self):
        # The unchanged program resolves every import and lists its delay imports.
        code, output = self.check(self.data)
        self.assertEqual(code, 0, output)
        self.assertTrue(self.image.delay_descriptors())

    def test_truncated_or_flipped_images_raise_only_pe_errors(self):
        # Every cut and random damage either parses or raises PeError, never another error.
        rng = random.Random(7)
        headers_end = self.image.sections[0].raw_offset
        cuts = [0, 1, 2, 0x3C, 0x40, self.image.pe_offset + 4, headers_end - 1, len(self.data) // 2]
        damaged = [self.data[:cut] for cut in cuts]
        for _ in range(200):
            copy = bytearray(self.data[:headers_end + 0x200])
            copy[rng.randrange(len(copy))] = rng.randrange(256)
            damaged.append(copy)
        for data in damaged:
            try:
                image = PeImage(bytes(data))
                image.imports()
                image.delay_descriptors()
                image.symbols()
            except PeError:
                pass

    def test_empty_delay_directory_fails(self):
        # The linker's own output: descriptors placed but not listed.
        data = bytearray(self.data)
        struct.pack_into("<II", data, self.image.directory_offset + 8 * DIR_DELAY_IMPORT, 0, 0)
        code, output = self.check(data)
        self.assertEqual(code, 1)
        self.assertIn("delay-import directory lists descriptors at []", output)

    def test_slot_starting_at_zero_fails(self):
        # A delayed slot whose stub was dropped by the linker starts out as 0.
        data = bytearray(self.data)
        descriptor = self.image.delay_descriptors()[0]
        offset, size = self.file_offset(descriptor.iat_rva), self.image.pointer_size
        data[offset:offset + size] = bytes(size)
        code, output = self.check(data)
        self.assertEqual(code, 1)
        self.assertIn(f"{descriptor.dll}!{descriptor.functions[0]}: slot starts out as 0", output)

    def test_function_missing_from_the_dll_fails(self):
        # An imported name the DLL does not export is reported with both names.
        descriptor = self.image.delay_descriptors()[0]
        name = descriptor.functions[0]
        hint_name = struct.unpack("<I", self.image.cursor_at(descriptor.int_rva).take(4))[0]
        data = bytearray(self.data)
        offset = self.file_offset(hint_name + 2)
        data[offset:offset + len(name)] = b"Q" * len(name)
        code, output = self.check(data)
        self.assertEqual(code, 1)
        self.assertIn(f"{descriptor.dll}!{'Q' * len(name)} is not exported", output)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
