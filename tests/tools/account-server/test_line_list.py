"""The demo line list as the client receives it: GBK bytes, INI sections, encoded loopback lines."""

import ipaddress
import tempfile
import unittest

import reference_decoders as dec
from fixture import ACCOUNT, LINE_LIST_QUERY, write_data
from server_process import import_server_module, start_server

SPECIAL_AREAS = ("Route", "海外加速", "电信加速", "网通加速")
LOOPBACK = ipaddress.IPv4Network("127.0.0.0/8")


def parse_ini(text):
    """Sections in order, each a list of (key, value), by the client's INI grammar."""
    sections = []
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            sections.append((line[1:-1].strip(), []))
        elif sections and "=" in line:
            key, value = line.split("=", 1)
            sections[-1][1].append((key.strip(), value.strip()))
    return sections


def is_chinese(text):
    return any("\u4e00" <= ch <= "\u9fff" for ch in text)


class DemoLineListTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        server = start_server(cls.addClassCleanup)
        status, cls.body = server.get(ACCOUNT + "vpnlist09.php" + LINE_LIST_QUERY)
        assert status == 200, status
        cls.sections = parse_ini(cls.body.decode("gbk"))
        cls.lines = [(area, key, value) for area, entries in cls.sections for key, value in entries]

    def test_is_gbk_not_utf8(self):
        with self.assertRaises(UnicodeDecodeError):
            self.body.decode("utf-8")

    def test_lines_end_with_crlf(self):
        self.assertTrue(self.body.endswith(b"\r\n"))
        self.assertNotIn(b"\n", self.body.replace(b"\r\n", b""))

    def test_has_the_special_areas_and_chinese_areas_besides(self):
        names = [area for area, _ in self.sections]
        for special in SPECIAL_AREAS:
            with self.subTest(area=special):
                self.assertIn(special, names)
        ordinary = [name for name in names if name not in SPECIAL_AREAS]
        self.assertTrue(ordinary)
        self.assertTrue(all(is_chinese(name) for name in ordinary), ordinary)
        self.assertNotIn(names[0], SPECIAL_AREAS)

    def test_every_line_has_a_chinese_name_and_three_fields(self):
        for area, key, value in self.lines:
            with self.subTest(area=area, line=key):
                self.assertTrue(is_chinese(key))
                address, rate, l2tp = value.split(",")
                self.assertIn(ipaddress.IPv4Address(dec.decode_line_address(address)), LOOPBACK)
                self.assertRegex(rate, r"^\d+%$")
                self.assertIn(l2tp, ("0", "1"))

    def test_lines_with_and_without_l2tp(self):
        flags = {value.rsplit(",", 1)[1] for _, _, value in self.lines}
        self.assertEqual(flags, {"0", "1"})


class DataCheckTests(unittest.TestCase):
    def test_line_outside_loopback_is_refused(self):
        accounts = import_server_module("accounts")
        with tempfile.TemporaryDirectory() as folder:
            areas = [{"name": "外网", "lines": [{"name": "外线", "address": "10.0.0.1", "rate": "1%", "l2tp": 0}]}]
            with self.assertRaisesRegex(accounts.DataError, "127.0.0.0/8"):
                accounts.load(write_data(folder, areas=areas))


if __name__ == "__main__":
    unittest.main()
