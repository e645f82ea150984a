"""What the server records of each request, and each way it can be told to misbehave."""

import http.client
import json
import os
import socket
import tempfile
import unittest

from fixture import ACCOUNT, TOKEN_A, write_data
from server_process import start_server

NETCHECK = ACCOUNT + "netcheck09.php"
NETCHECK_REPLY = b"127.0.0.1-9.1-127.0.0.9"
LOGIN_FIELDS = [("UserID", "good"), ("Upassword", "good1")]
LINE_CHECK_FIELDS = [("serverip", "127.0.0.1"), ("username", "good"), ("Upassword", "good1")]


class RecordingTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        folder = tempfile.TemporaryDirectory()
        cls.addClassCleanup(folder.cleanup)
        cls.log_path = os.path.join(folder.name, "requests.jsonl")
        cls.server = start_server(cls.addClassCleanup, "--data", write_data(folder.name), "--log", cls.log_path)

    def setUp(self):
        self.server.control("POST", "clear")

    def send_raw(self, request):
        with socket.create_connection((self.server.host, self.server.port), timeout=5) as connection:
            connection.sendall(request)
            connection.shutdown(socket.SHUT_WR)
            while connection.recv(4096):
                pass

    def test_post_is_recorded_with_headers_and_fields_in_order(self):
        body = (b"serverip=127.0.0.1&userpeerip=127.0.0.1&clientip=&uniqueid=2026121012345&"
                b"username=%E5%BC%A0%E4%B8%89&xmitdata=100&recvdata=200&onlinetime=300")
        self.send_raw(b"POST /webadmin/useradmin/statuscheck09.php HTTP/1.1\r\n"
                      b"Content-Type: application/x-www-form-urlencoded\r\n"
                      b"Content-Length: %d\r\nHost: 127.0.0.1\r\n"
                      b"Accept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                      b"\r\n" % len(body) + body)
        (record,) = self.server.requests()
        self.assertEqual(record["method"], "POST")
        self.assertEqual(record["path"], "/webadmin/useradmin/statuscheck09.php")
        self.assertEqual(record["query"], "")
        self.assertEqual(record["headers"], [
            ["Content-Type", "application/x-www-form-urlencoded"], ["Content-Length", str(len(body))],
            ["Host", "127.0.0.1"], ["Accept", "text/html, */*"],
            ["User-Agent", "Mozilla/3.0 (compatible; Indy Library)"]])
        self.assertEqual(record["form"], [
            ["serverip", "127.0.0.1"], ["userpeerip", "127.0.0.1"], ["clientip", ""],
            ["uniqueid", "2026121012345"], ["username", "张三"], ["xmitdata", "100"], ["recvdata", "200"],
            ["onlinetime", "300"]])
        self.assertEqual(record["body"].encode("latin-1"), body)

    def test_get_is_recorded_with_its_query(self):
        self.server.get(ACCOUNT + "vpnlist09_tw.php?viewstr=5a7c0e92d1f")
        (record,) = self.server.requests()
        self.assertEqual(record["method"], "GET")
        self.assertEqual(record["path"], ACCOUNT + "vpnlist09_tw.php")
        self.assertEqual(record["query"], "viewstr=5a7c0e92d1f")
        self.assertIsNone(record["form"])
        self.assertEqual(record["server"], "127.0.0.1:%d" % self.server.port)

    def test_log_file_holds_every_request_including_unknown_paths(self):
        self.server.get("/no/such/page.htm")
        self.server.post_form(ACCOUNT + "usercheck09.php", LOGIN_FIELDS)
        with open(self.log_path, encoding="utf-8") as log:
            logged = [json.loads(line) for line in log][-2:]
        self.assertEqual(logged, self.server.requests())
        self.assertEqual([r["path"] for r in logged], ["/no/such/page.htm", ACCOUNT + "usercheck09.php"])


class BehaviourTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        folder = tempfile.TemporaryDirectory()
        cls.addClassCleanup(folder.cleanup)
        cls.behaviour_path = os.path.join(folder.name, "behaviour.json")
        cls.write_behaviour({})
        cls.server = start_server(cls.addClassCleanup, "--data", write_data(folder.name),
                                  "--behaviour", cls.behaviour_path)

    @classmethod
    def write_behaviour(cls, table):
        with open(cls.behaviour_path, "w", encoding="utf-8") as stream:
            json.dump(table, stream)

    def setUp(self):
        self.server.set_behaviour({})
        self.server.control("POST", "clear")

    def test_empty_and_error_statuses(self):
        for rule, status in (({"mode": "empty"}, 200), ({"mode": "status", "status": 404}, 404),
                             ({"mode": "status", "status": 500}, 500)):
            with self.subTest(rule=rule):
                self.server.set_behaviour({"usercheck09.php": rule})
                reply_status, body = self.server.post_form(ACCOUNT + "usercheck09.php", LOGIN_FIELDS)
                self.assertEqual(reply_status, status)
                if status == 200:
                    self.assertEqual(body, b"")

    def test_trailing_crlf(self):
        self.server.set_behaviour({"ipcheck09.php": {"mode": "trailing-crlf"}})
        self.assertEqual(self.server.post_form(ACCOUNT + "ipcheck09.php", LINE_CHECK_FIELDS),
                         (200, TOKEN_A.encode() + b"\r\n"))

    def test_text_replaces_the_answer_in_gbk(self):
        self.server.set_behaviour({"datecheck09.php": {"mode": "text", "text": "剩余天数:2"}})
        self.assertEqual(self.server.post_form(ACCOUNT + "datecheck09.php", LOGIN_FIELDS),
                         (200, "剩余天数:2".encode("gbk")))

    def test_redirect_to_where_the_answer_is(self):
        self.server.set_behaviour({"netcheck09.php": {"mode": "redirect"}})
        status, headers, body = self.server.request("GET", NETCHECK)
        self.assertEqual(status, 302)
        location = dict(headers)["Location"]
        self.assertEqual(location, "/__moved" + NETCHECK)
        self.assertEqual(self.server.get(location), (200, NETCHECK_REPLY))

    def test_redirect_to_a_given_location(self):
        self.server.set_behaviour({"netcheck09.php": {"mode": "redirect", "location": "http://127.0.0.2:1/x"}})
        status, headers, _ = self.server.request("GET", NETCHECK)
        self.assertEqual(status, 302)
        self.assertEqual(dict(headers)["Location"], "http://127.0.0.2:1/x")

    def test_close_drops_the_connection_after_recording(self):
        self.server.set_behaviour({"usercheck09.php": {"mode": "close"}})
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError)):
            self.server.post_form(ACCOUNT + "usercheck09.php", LOGIN_FIELDS)
        (record,) = self.server.requests()
        self.assertEqual(record["form"], [["UserID", "good"], ["Upassword", "good1"]])

    def test_delay_outlasts_a_read_timeout_without_holding_up_others(self):
        self.server.set_behaviour({"datecheck09.php": {"delay_ms": 5000}})
        with self.assertRaises(TimeoutError):
            self.server.post_form(ACCOUNT + "datecheck09.php", LOGIN_FIELDS, timeout=0.3)
        self.assertEqual(self.server.get(NETCHECK), (200, NETCHECK_REPLY))

    def test_rule_lookup_by_full_path_then_script_name_then_wildcard(self):
        self.server.set_behaviour({
            "*": {"mode": "status", "status": 404},
            "usercheck09_en.php": {"mode": "empty"},
            ACCOUNT + "usercheck09.php": {"mode": "status", "status": 500},
            "usercheck09.php": {"mode": "normal"},
        })
        self.assertEqual(self.server.post_form(ACCOUNT + "usercheck09.php", LOGIN_FIELDS)[0], 500)
        self.assertEqual(self.server.post_form(ACCOUNT + "usercheck09_en.php", LOGIN_FIELDS), (200, b""))
        self.assertEqual(self.server.post_form(ACCOUNT + "usercheck09_tw.php", LOGIN_FIELDS)[0], 404)
        self.assertEqual(self.server.get("/velmoraclient09/top.htm")[0], 404)

    def test_behaviour_file_is_reread_when_it_changes(self):
        self.write_behaviour({"netcheck09.php": {"mode": "status", "status": 500}})
        self.assertEqual(self.server.get(NETCHECK)[0], 500)
        self.write_behaviour({"netcheck09.php": {"mode": "empty"}})
        self.assertEqual(self.server.get(NETCHECK), (200, b""))
        self.write_behaviour({})
        self.assertEqual(self.server.get(NETCHECK), (200, NETCHECK_REPLY))

    def test_invalid_behaviour_is_refused_and_the_table_kept(self):
        self.server.set_behaviour({"netcheck09.php": {"mode": "empty"}})
        for table in ({"x": {"mode": "explode"}}, {"x": {"mode": "status"}}, {"x": {"mode": "text"}}, {"x": {"delay_ms": -1}}, ["x"]):
            with self.subTest(table=table):
                status, _, _ = self.server.request("POST", "/__control/behaviour", json.dumps(table))
                self.assertEqual(status, 400)
        self.assertEqual(self.server.control("GET", "behaviour"), {"netcheck09.php": {"mode": "empty"}})

    def test_control_requests_are_not_recorded(self):
        self.server.get(NETCHECK)
        self.server.control("GET", "behaviour")
        self.assertEqual([r["path"] for r in self.server.requests()], [NETCHECK])


if __name__ == "__main__":
    unittest.main()
