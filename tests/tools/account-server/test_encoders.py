"""The account server's encoders against worked examples and the client's decoders (as a model)."""

import unittest

import reference_decoders as dec
from server_process import import_server_module

enc = import_server_module("encoders")


class ReferenceDecoderTests(unittest.TestCase):
    """The model reproduces the decoders' documented behaviour, so the checks below mean something."""

    def test_base64_decode_text_cases(self):
        cases = [("QUJD", "ABC"), ("QUI=", "AB"), ("QUI", "AB"), ("QQ==", "A"), ("Q", ""), ("", ""),
                 ("6Q", "\u00e9"), ("QUJ=", "AB")]
        for encoded, decoded in cases:
            with self.subTest(encoded=encoded):
                self.assertEqual(dec.base64_decode_text(encoded), decoded)

    def test_character_outside_the_alphabet_in_the_last_place_gives_ffff(self):
        self.assertEqual(dec.base64_decode_text("QUJ*")[2], "\uffff")

    def test_layered_decoders_of_empty_text_are_empty(self):
        self.assertEqual(dec.decode_line_address(""), "")
        self.assertEqual(dec.decode_dial_password(""), "")


class SegmentSwapTests(unittest.TestCase):
    def test_swap_cases(self):
        cases = [("abcdefghij", 4, "efghabcdij"), ("abcdef", 4, "efabcd"), ("abcd", 4, "abcd"), ("", 3, "")]
        for text, k, swapped in cases:
            with self.subTest(text=text, k=k):
                self.assertEqual(enc.swap(text, k), swapped)

    def test_unswap_undoes_swap_for_every_length(self):
        text = "ABCDEFGHIJKLMNOPQRSTU"
        for k in (3, 4, 5, 6, 7):
            for n in range(len(text) + 1):
                with self.subTest(k=k, n=n):
                    self.assertEqual(enc.swap(enc.unswap(text[:n], k), k), text[:n])


class WorkedExampleTests(unittest.TestCase):
    """Encodings worked by hand, layer by layer, from the decoders' description.

    Each layer of a decoder swaps by k and then decodes; the encoder writes unpadded base64 and
    undoes the swap. With 2k or more characters the swap is its own inverse; with fewer, say n,
    the first n - k characters were moved behind the last k.
    """

    def test_line_address_127_0_0_1(self):
        # base64 "MTI3LjAuMC4x"; 12 >= 6, so swap by 3: "3Lj" "MTI" "AuMC4x".
        # base64 "M0xqTVRJQXVNQzR4"; 16 >= 14, swap by 7: "JQXVNQz" "M0xqTVR" "R4".
        # base64 "SlFYVk5Rek0weHFUVlJSNA"; 22 >= 8, swap by 4.
        self.assertEqual(enc.encode_line_address("127.0.0.1"), "Vk5RSlFYek0weHFUVlJSNA")
        self.assertEqual(dec.decode_line_address("Vk5RSlFYek0weHFUVlJSNA"), "127.0.0.1")

    def test_dial_user(self):
        # "vpn8001" -> "dnBuODAwMQ" -> "ZG5CdU9EQXdNUQ"
        self.assertEqual(enc.encode_dial_user("vpn8001"), "ZG5CdU9EQXdNUQ")
        self.assertEqual(dec.decode_dial_user("ZG5CdU9EQXdNUQ"), "vpn8001")

    def test_dial_password_short(self):
        # Swap by 4: "c2hvcnQ" has 7 < 8 characters, so "c2h" moved behind "vcnQ": "vcnQc2h".
        # Swap by 6: "dmNuUWMyaA" has 10 < 12: "UWMyaA" + "dmNu".
        # Swap by 5: "VVdNeWFBZG1OdQ" has 14 >= 10: "WFBZG" "VVdNe" "1OdQ".
        # Swap by 5: "V0ZCWkdWVmROZTFPZFE": "kdWVm" "V0ZCW" "ROZTFPZFE".
        # Then base64 four times.
        expected = "V1ZSS1UxZEdXblJOVm1ST1VtNUNSVlpxUmt0VlJtUnpWV3RrVmxKdVFraFZiRVU"
        self.assertEqual(enc.encode_dial_password("short"), expected)
        self.assertEqual(dec.decode_dial_password(expected), "short")


class RoundTripTests(unittest.TestCase):
    def test_line_addresses(self):
        for address in ("127.0.0.1", "127.0.0.2", "127.255.255.254", "127.1.2.3", "localhost", "a"):
            with self.subTest(address=address):
                encoded = enc.encode_line_address(address)
                self.assertNotIn("=", encoded)
                self.assertEqual(dec.decode_line_address(encoded), address)

    def test_dial_credentials(self):
        for text in ("", "x", "ab", "abc", "Kx7#pQ2z", "p\u00e9ss w\u00f6rd", "a" * 40, "\x00\xff"):
            with self.subTest(text=text):
                self.assertEqual(dec.decode_dial_password(enc.encode_dial_password(text)), text)
                self.assertEqual(dec.decode_dial_user(enc.encode_dial_user(text)), text)

    def test_characters_beyond_one_byte_are_refused(self):
        with self.assertRaises(ValueError):
            enc.encode_dial_password("密码")


if __name__ == "__main__":
    unittest.main()
