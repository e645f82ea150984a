"""The skin generator writes the same bytes on every run, and what it writes is what the skin
readers expect: archives of back-to-back zlib streams, 24-bit BMPs, Options.dat in three
encodings."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

GENERATOR = os.path.join(os.environ.get("SKINGEN_DIR", os.path.join(
    os.path.dirname(__file__), "..", "..", "..", "tools", "skingen")), "skingen.py")


def generate(folder):
    subprocess.run([sys.executable, "-B", GENERATOR, folder], check=True)
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def read_archive(data):
    """[(name, unpacked bytes, packed length)] of an ASzf archive, strictly."""
    assert data[:4] == b"ASzf"
    (count,) = struct.unpack_from("<i", data, 4)
    offset = 8
    entries = []
    for _ in range(count):
        (length,) = struct.unpack_from("<i", data, offset)
        name = data[offset + 4: offset + 4 + length].decode("cp1252")
        (size,) = struct.unpack_from("<i", data, offset + 4 + length)
        offset += 8 + length
        inflater = zlib.decompressobj()
        content = inflater.decompress(data[offset:])
        packed = len(data) - offset - len(inflater.unused_data)
        assert inflater.eof and len(content) == size
        entries.append((name, content, packed))
        offset += packed
    assert offset == len(data)
    return entries


class SkinGeneratorTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.first = generate(os.path.join(cls.temp.name, "a"))
        cls.second = generate(os.path.join(cls.temp.name, "b"))

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def test_two_runs_write_identical_bytes(self):
        self.assertEqual(sorted(self.first), sorted(self.second))
        for name in self.first:
            self.assertEqual(self.first[name], self.second[name], name)

    def test_archives_hold_the_folder_files(self):
        entries = read_archive(self.first[os.path.join("packed", "TestFlat.asz")])
        folder = os.path.join("folders", "TestFlat")
        self.assertEqual([e[0] for e in entries], ["Options.dat", "MASTER.BMP"])
        for name, content, _ in entries:
            self.assertEqual(content, self.first[os.path.join(folder, name)])

    def test_big_entries_lie_back_to_back_beyond_the_read_ahead(self):
        entries = read_archive(self.first[os.path.join("packed", "TestFeatures.asz")])
        names = [e[0] for e in entries]
        self.assertEqual(names[0], "options.DAT")
        self.assertIn("Master.bmp", names)
        big = [e for e in entries if e[2] > 128 * 1024]
        self.assertGreaterEqual(len(big), 2)
        # The two big streams follow each other with nothing between them.
        self.assertEqual(names.index(big[1][0]), names.index(big[0][0]) + 1)

    def test_master_bitmaps_are_24_bit(self):
        master = self.first[os.path.join("folders", "Calm", "MASTER.BMP")]
        self.assertEqual(master[:2], b"BM")
        width, height, planes, bits = struct.unpack_from("<iiHH", master, 18)
        self.assertEqual((planes, bits), (1, 24))
        self.assertGreater(width * height, 0)

    def test_options_encodings_hold_the_same_text(self):
        def text(name):
            data = self.first[os.path.join("folders", name, "Options.dat")]
            if data.startswith(b"\xef\xbb\xbf"):
                return data[3:].decode("utf-8")
            if data.startswith(b"\xff\xfe"):
                return data[2:].decode("utf-16-le")
            return data.decode("cp1252")
        self.assertEqual(text("TestFlatUtf8"), text("TestFlat"))
        self.assertEqual(text("TestFlatUtf16"), text("TestFlat"))
        self.assertIn("\u00c5", text("TestFlat"))

    def test_contact_sheet_is_a_png(self):
        self.assertTrue(self.first["Calm-contact-sheet.png"].startswith(b"\x89PNG\r\n\x1a\n"))


if __name__ == "__main__":
    unittest.main()
