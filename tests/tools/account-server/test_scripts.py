"""Normal answers of every script, per account state and language, and the content pages."""

import tempfile
import unittest

import reference_decoders as dec
from fixture import ACCOUNT, LINE_LIST_QUERY, SECOND, TOKEN_A, TOKEN_B, TOKEN_C, write_data
from server_process import start_server

LANGUAGE_SUFFIXES = ("", "_en", "_tw")


class AccountScriptTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        folder = tempfile.TemporaryDirectory()
        cls.addClassCleanup(folder.cleanup)
        cls.server = start_server(cls.addClassCleanup, "--data", write_data(folder.name))

    def post_text(self, path, fields):
        status, body = self.server.post_form(path, fields)
        self.assertEqual(status, 200)
        return body.decode("gbk")

    def test_server_check_reports_peer_version_and_route(self):
        status, body = self.server.get(ACCOUNT + "netcheck09.php")
        self.assertEqual(status, 200)
        self.assertEqual(body, b"127.0.0.1-9.1-127.0.0.9")

    def test_credential_check_per_state_and_language(self):
        cases = [
            ("good", "good1", ("正式用户 剩余30天", "VIP user, 30 days left", "正式用戶 剩餘30天")),
            ("good", "wrong", ("error",) * 3),
            ("nobody", "good1", ("error",) * 3),
            ("gone", "gone1", ("expire",) * 3),
            ("spent", "spent1", ("useup",) * 3),
            ("broken", "broken1", ("error",) * 3),
            ("named", "named1", ("Error",) * 3),
        ]
        for user, password, replies in cases:
            for suffix, reply in zip(LANGUAGE_SUFFIXES, replies):
                with self.subTest(user=user, password=password, script=suffix):
                    path = ACCOUNT + "usercheck09%s.php" % suffix
                    self.assertEqual(self.post_text(path, [("UserID", user), ("Upassword", password)]), reply)

    def test_validity_check_per_state_and_language(self):
        cases = [
            ("good", "good1", ("剩余天数:30", "remaind day:30", "剩餘天數:30")),
            ("issued", "iss1", ("剩余天数:2", "remaind day:2", "剩餘天數:2")),
            ("good", "wrong", ("error",) * 3),
            ("gone", "gone1", ("expire",) * 3),
            ("spent", "spent1", ("useup",) * 3),
            ("broken", "broken1", ("error",) * 3),
        ]
        for user, password, replies in cases:
            for suffix, reply in zip(LANGUAGE_SUFFIXES, replies):
                with self.subTest(user=user, password=password, script=suffix):
                    path = ACCOUNT + "datecheck09%s.php" % suffix
                    self.assertEqual(self.post_text(path, [("UserID", user), ("Upassword", password)]), reply)

    def line_check(self, user, password):
        return self.post_text(ACCOUNT + "ipcheck09.php",
                              [("serverip", "127.0.0.1"), ("username", user), ("Upassword", password)])

    def test_line_check_answers_token_a_for_a_login_account(self):
        self.assertEqual(self.line_check("good", "good1"), TOKEN_A)

    def test_line_check_issues_credentials_the_client_can_decode(self):
        parts = self.line_check("issued", "iss1").split(TOKEN_B)
        self.assertEqual(len(parts), 2)
        self.assertEqual(dec.decode_dial_user(parts[0]), "vpn1")
        self.assertEqual(dec.decode_dial_password(parts[1]), "dp#1")

    def test_line_check_answers_nothing_without_a_valid_account(self):
        for user, password in (("good", "wrong"), ("nobody", "x"), ("gone", "gone1"), ("broken", "broken1")):
            with self.subTest(user=user):
                self.assertEqual(self.line_check(user, password), "")

    def test_status_report_answers_token_c_only_for_too_many_computers(self):
        for user, reply in (("crowd", TOKEN_C), ("issued", "ok"), ("nobody", "ok")):
            with self.subTest(user=user):
                fields = [("serverip", "127.0.0.1"), ("userpeerip", "127.0.0.1"), ("clientip", "10.0.0.2"),
                          ("uniqueid", "20261210123456712345678"), ("username", user),
                          ("xmitdata", "1"), ("recvdata", "2"), ("onlinetime", "3")]
                self.assertEqual(self.post_text(ACCOUNT + "statuscheck09.php", fields), reply)

    def test_line_list_needs_the_access_value(self):
        for suffix in LANGUAGE_SUFFIXES:
            script = ACCOUNT + "vpnlist09%s.php" % suffix
            with self.subTest(script=script):
                self.assertEqual(self.server.get(script + LINE_LIST_QUERY)[1].decode("gbk"),
                                 "[测试地区]\r\n测试一号=Vk5RSlFYek0weHFUVlJSNA,90%,1\r\n\r\n")
                self.assertEqual(self.server.get(script), (200, b""))
                self.assertEqual(self.server.get(script + "?viewstr=0000"), (200, b""))

    def test_scripts_refuse_the_other_method(self):
        self.assertEqual(self.server.get(ACCOUNT + "usercheck09.php")[0], 405)
        self.assertEqual(self.server.post_form(ACCOUNT + "netcheck09.php", [])[0], 405)


class AccountDialogTests(unittest.TestCase):
    """The second service's scripts; each test changes its own accounts only."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.addClassCleanup(cls.folder.cleanup)
        cls.server = start_server(cls.addClassCleanup, "--data", write_data(cls.folder.name))

    def post_text(self, path, fields):
        status, body = self.server.post_form(path, fields)
        self.assertEqual(status, 200)
        return body.decode("gbk")

    def credential_reply(self, user, password):
        return self.post_text(ACCOUNT + "usercheck09_en.php", [("UserID", user), ("Upassword", password)])

    def register(self, user, password, confirmation):
        fields = [("UserID", user), ("Upassword", password), ("Upassword2", confirmation), ("User_True", ""),
                  ("User_Mobile", "123"), ("Email_Address", ""), ("User_QQ", ""), ("User_Address", "")]
        return self.post_text(SECOND + "user_self_new_saveDorrin162.php", fields)

    def test_registration(self):
        self.assertEqual(self.register("newbie", "secret1", "secret2"), "fail")
        self.assertEqual(self.register("newbie", "secret1", "secret1"), "ok")
        self.assertEqual(self.credential_reply("newbie", "secret1"), "VIP user, 7 days left")
        self.assertEqual(self.register("newbie", "secret1", "secret1"), "2")
        self.assertEqual(self.register("good", "secret1", "secret1"), "2")

    def test_registration_closed(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        closed = start_server(self.addCleanup, "--data", write_data(folder.name, registration_open=False))
        fields = [("UserID", "other"), ("Upassword", "secret1"), ("Upassword2", "secret1")]
        self.assertEqual(closed.post_form(SECOND + "user_self_new_saveDorrin162.php", fields), (200, b"1"))

    def top_up(self, password, card, card_password):
        fields = [("UserID", "topper"), ("Upassword", password), ("mycardid", card), ("mycardpass", card_password)]
        return self.post_text(SECOND + "reckon_new_saveDorrin162.php", fields)

    def test_top_up(self):
        cases = [("wrong", "111111111111111111", "222222222222", "1"),
                 ("top1", "999999999999999999", "222222222222", "2"),
                 ("top1", "111111111111111111", "000000000000", "2"),
                 ("top1", "333333333333333333", "444444444444", "3")]
        for password, card, card_password, reply in cases:
            with self.subTest(password=password, card=card, card_password=card_password):
                self.assertEqual(self.top_up(password, card, card_password), reply)
        self.assertEqual(self.credential_reply("topper", "top1"), "expire")
        self.assertEqual(self.top_up("top1", "111111111111111111", "222222222222"), "ok")
        self.assertEqual(self.credential_reply("topper", "top1"), "VIP user, 30 days left")
        self.assertEqual(self.top_up("top1", "111111111111111111", "222222222222"), "2")

    def change_password(self, old, new, confirmation):
        fields = [("UserID", "changer"), ("Upassword", old), ("Upassword1", new), ("Upassword2", confirmation)]
        return self.post_text(SECOND + "mypass_saveDorrin162.php", fields)

    def test_password_change(self):
        self.assertEqual(self.change_password("wrong", "new222", "new222"), "1")
        self.assertEqual(self.change_password("old111", "new222", "new333"), "fail")
        self.assertEqual(self.change_password("old111", "new222", "new222"), "ok")
        self.assertEqual(self.credential_reply("changer", "old111"), "error")
        self.assertEqual(self.credential_reply("changer", "new222"), "VIP user, 1 days left")


class ContentPageTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = start_server(cls.addClassCleanup)

    def test_pages_the_client_shows_or_opens(self):
        pages = ["/velmoraclient09/top.htm", "/velmoraclient09/maintop.htm", "/velmoraclient09/news.htm",
                 "/Dorrinclient162/user.htm", "/Dorrinclient162/gg.htm", "/Dorrinclient162/help.htm",
                 "/Dorrinclient162/qa.htm", "/", ACCOUNT, ACCOUNT + "user_self_new.php", SECOND]
        for page in pages:
            with self.subTest(page=page):
                status, headers, body = self.server.request("GET", page)
                self.assertEqual(status, 200)
                self.assertIn("text/html", dict(headers)["Content-Type"])
                self.assertIn(b"<html>", body)

    def test_nothing_outside_the_content_folder(self):
        for page in ("/missing.htm", "/../accounts.json", "/%2e%2e/accounts.json", "/velmoraclient09/../../README.md"):
            with self.subTest(page=page):
                self.assertEqual(self.server.get(page)[0], 404)


if __name__ == "__main__":
    unittest.main()
