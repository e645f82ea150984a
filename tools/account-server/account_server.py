#!/usr/bin/env python3
"""A local account server for tests and demonstrations of the client.

It answers the account-server scripts, the second service's account dialogs and the content
pages from a JSON data file, records every request it receives, and can be told per endpoint to
misbehave (empty reply, error status, delay, redirect, trailing line break, dropped connection).
See README.md for the command line, the data file and the control endpoints.

It binds to loopback addresses only (127.0.0.0/8): it exists so that tests never reach another
machine. Each request runs on its own thread, so a delayed reply does not hold up the others.
"""

import argparse
import ipaddress
import json
import os
import posixpath
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import accounts

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_PORT = 16001
CONTROL_PREFIX = "/__control/"
# A redirect without its own location points here; the path behind it is answered normally.
MOVED_PREFIX = "/__moved"
ACCOUNT_ROOT = "/webadmin/useradmin/"
SECOND_ROOT = "/sysadmin/useradmin/"
LANGUAGE_SUFFIXES = {"": 1, "_en": 2, "_tw": 3}
MODES = ("normal", "empty", "status", "redirect", "trailing-crlf", "close", "text")


def _language_variants(stem, method, make_answer):
    return {("%s%s%s.php" % (ACCOUNT_ROOT, stem, suffix), method): make_answer(lang)
            for suffix, lang in LANGUAGE_SUFFIXES.items()}


def build_routes():
    """(path, method) -> answer(service, form, query, peer address) -> reply text."""
    routes = {
        (ACCOUNT_ROOT + "netcheck09.php", "GET"): lambda s, f, q, peer: s.server_check(peer),
        (ACCOUNT_ROOT + "ipcheck09.php", "POST"): lambda s, f, q, peer: s.line_check(f),
        (ACCOUNT_ROOT + "statuscheck09.php", "POST"): lambda s, f, q, peer: s.status_report(f),
        (SECOND_ROOT + "user_self_new_saveDorrin162.php", "POST"): lambda s, f, q, peer: s.register(f),
        (SECOND_ROOT + "reckon_new_saveDorrin162.php", "POST"): lambda s, f, q, peer: s.top_up(f),
        (SECOND_ROOT + "mypass_saveDorrin162.php", "POST"): lambda s, f, q, peer: s.change_password(f),
    }
    routes.update(_language_variants("usercheck09", "POST",
                                     lambda lang: lambda s, f, q, peer: s.credential_check(f, lang)))
    routes.update(_language_variants("datecheck09", "POST",
                                     lambda lang: lambda s, f, q, peer: s.validity_check(f, lang)))
    # The line list is the same document in every language.
    routes.update(_language_variants("vpnlist09", "GET", lambda lang: lambda s, f, q, peer: s.line_list(q)))
    return routes


def check_loopback(host):
    """Raises ValueError unless host is an IPv4 address literal in 127.0.0.0/8."""
    try:
        address = ipaddress.IPv4Address(host)
    except ValueError:
        raise ValueError("refusing to bind %r: give an IPv4 address in 127.0.0.0/8" % host) from None
    if address not in ipaddress.IPv4Network("127.0.0.0/8"):
        raise ValueError("refusing to bind %s: only 127.0.0.0/8 is allowed" % host)


def check_behaviour(table):
    """Raises ValueError unless table maps endpoint keys to valid behaviours."""
    if not isinstance(table, dict):
        raise ValueError("a behaviour table is a JSON object")
    for key, rule in table.items():
        if not isinstance(rule, dict):
            raise ValueError("behaviour for %r is not an object" % key)
        if rule.get("mode", "normal") not in MODES:
            raise ValueError("behaviour for %r: mode must be one of %s" % (key, ", ".join(MODES)))
        if rule.get("mode") == "status" and not isinstance(rule.get("status"), int):
            raise ValueError("behaviour for %r: mode status needs an integer status" % key)
        if rule.get("mode") == "text" and not isinstance(rule.get("text"), str):
            raise ValueError("behaviour for %r: mode text needs a text" % key)
        delay = rule.get("delay_ms", 0)
        if not isinstance(delay, int) or delay < 0:
            raise ValueError("behaviour for %r: delay_ms must be a non-negative integer" % key)


class Behaviours:
    """The per-endpoint behaviour table, from a file (re-read when it changes) or the control."""

    def __init__(self, path):
        self._lock = threading.Lock()
        self._path = path
        self._stamp = None  # guarded by _lock, like _table
        self._table = {}
        if path:
            self._reload(must_succeed=True)

    def _reload(self, must_succeed):
        try:
            stat = os.stat(self._path)
            stamp = (stat.st_mtime_ns, stat.st_size)
            if stamp == self._stamp:
                return
            with open(self._path, encoding="utf-8") as stream:
                table = json.load(stream)
            check_behaviour(table)
        except (OSError, ValueError) as error:
            if must_succeed:
                raise ValueError("behaviour file %s: %s" % (self._path, error)) from error
            print("account server: keeping the behaviours, %s: %s" % (self._path, error), file=sys.stderr)
            return
        self._stamp, self._table = stamp, table

    def replace(self, table):
        check_behaviour(table)
        with self._lock:
            self._table = table

    def table(self):
        with self._lock:
            return dict(self._table)

    def lookup(self, path):
        """The rule for a path: by full path, then by script name, then "*"."""
        with self._lock:
            if self._path:
                self._reload(must_succeed=False)
            for key in (path, posixpath.basename(path), "*"):
                if key in self._table:
                    return self._table[key]
            return {}


class Recorder:
    """Every request received, kept in memory and appended to a JSON-lines file if given."""

    def __init__(self, log_path):
        self._lock = threading.Lock()
        self._records = []  # guarded by _lock, like the file's appends
        self._log_path = log_path

    def add(self, record):
        with self._lock:
            record["seq"] = len(self._records) + 1
            self._records.append(record)
            if self._log_path:
                with open(self._log_path, "a", encoding="utf-8") as log:
                    log.write(json.dumps(record, ensure_ascii=False) + "\n")

    def all(self):
        with self._lock:
            return list(self._records)

    def clear(self):
        with self._lock:
            self._records.clear()


class AccountServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, service, behaviours, recorder, content_dir):
        check_loopback(address[0])
        self.service = service
        self.behaviours = behaviours
        self.recorder = recorder
        self.content_dir = os.path.realpath(content_dir)
        self.routes = build_routes()
        self.stopping = threading.Event()  # wakes delayed replies when the server closes
        super().__init__(address, RequestHandler)

    def server_close(self):
        self.stopping.set()
        super().server_close()


class RequestHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "AccountServer/1.0"

    def log_message(self, format, *args):
        pass  # the recorder is the log

    def do_GET(self):
        self._serve()

    def do_POST(self):
        self._serve()

    def do_HEAD(self):
        self._serve()

    def do_PUT(self):
        self._serve()

    def do_DELETE(self):
        self._serve()

    def _serve(self):
        self.close_connection = True
        split = urllib.parse.urlsplit(self.path)
        try:
            body = self._read_body()
        except ValueError:
            self._send(400, b"bad Content-Length\r\n")
            return
        if split.path.startswith(CONTROL_PREFIX):
            self._control(split.path[len(CONTROL_PREFIX):], body)
            return
        self.server.recorder.add(self._record(split, body))
        path = split.path
        if path.startswith(MOVED_PREFIX + "/"):
            self._answer(path[len(MOVED_PREFIX):], split.query, body)
            return
        self._misbehave_or_answer(self.server.behaviours.lookup(path), split, body)

    def _read_body(self):
        length = int(self.headers.get("Content-Length") or 0)  # ValueError when not a number
        return self.rfile.read(length) if length > 0 else b""

    def _form(self, body):
        if self.command != "POST":
            return None
        return urllib.parse.parse_qsl(body.decode("latin-1"), keep_blank_values=True,
                                      encoding="utf-8", errors="replace")

    def _record(self, split, body):
        form = self._form(body)
        host, port = self.server.server_address[:2]
        return {
            "time": time.time(),
            "server": "%s:%d" % (host, port),
            "client": self.client_address[0],
            "method": self.command,
            "target": self.path,
            "path": split.path,
            "query": split.query,
            "headers": [[name, value] for name, value in self.headers.items()],
            "form": None if form is None else [[name, value] for name, value in form],
            # One character per byte, so the record is exact for any body.
            "body": body.decode("latin-1"),
        }

    def _misbehave_or_answer(self, rule, split, body):
        delay = rule.get("delay_ms", 0)
        if delay and self.server.stopping.wait(delay / 1000.0):
            return
        mode = rule.get("mode", "normal")
        if mode == "close":
            return  # the connection closes without a reply
        if mode == "empty":
            self._send(200, b"")
        elif mode == "text":
            self._send(200, rule["text"].encode("gbk"), content_type="text/html; charset=GBK")
        elif mode == "status":
            self._send(rule["status"], b"status %d\r\n" % rule["status"])
        elif mode == "redirect":
            target = split.path + ("?" + split.query if split.query else "")
            self._send(302, b"", [("Location", rule.get("location", MOVED_PREFIX + target))])
        else:
            self._answer(split.path, split.query, body, trailer=b"\r\n" if mode == "trailing-crlf" else b"")

    def _answer(self, path, query, body, trailer=b""):
        answer = self.server.routes.get((path, self.command))
        if answer is not None:
            form = dict(self._form(body) or [])
            query_fields = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
            text = answer(self.server.service, form, query_fields, self.client_address[0])
            self._send(200, text.encode("gbk") + trailer, content_type="text/html; charset=GBK")
        elif any(route_path == path for route_path, _ in self.server.routes):
            self._send(405, b"method not allowed\r\n")
        else:
            self._content(path, trailer)

    def _content(self, path, trailer):
        if self.command not in ("GET", "HEAD"):
            self._send(405, b"method not allowed\r\n")
            return
        root = self.server.content_dir
        relative = urllib.parse.unquote(path).lstrip("/")
        if relative == "" or relative.endswith("/"):
            relative += "index.html"
        file_path = os.path.realpath(os.path.join(root, relative))
        if not file_path.startswith(root + os.sep) or not os.path.isfile(file_path):
            self._send(404, b"not found\r\n")
            return
        with open(file_path, "rb") as page:
            self._send(200, page.read() + trailer, content_type="text/html; charset=utf-8")

    def _control(self, name, body):
        if name == "requests" and self.command == "GET":
            self._send_json(200, self.server.recorder.all())
        elif name == "clear" and self.command == "POST":
            self.server.recorder.clear()
            self._send_json(200, {"cleared": True})
        elif name == "behaviour" and self.command == "GET":
            self._send_json(200, self.server.behaviours.table())
        elif name == "behaviour" and self.command in ("POST", "PUT"):
            try:
                self.server.behaviours.replace(json.loads(body.decode("utf-8") or "{}"))
            except ValueError as error:
                self._send_json(400, {"error": str(error)})
                return
            self._send_json(200, self.server.behaviours.table())
        else:
            self._send_json(404, {"error": "unknown control request %s %s" % (self.command, name)})

    def _send_json(self, status, value):
        self._send(status, json.dumps(value, ensure_ascii=False).encode("utf-8"),
                   content_type="application/json; charset=utf-8")

    def _send(self, status, payload, headers=(), content_type="text/plain; charset=utf-8"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(payload)))
        self.send_header("Connection", "close")
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(payload)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="Local account server for tests (loopback only).")
    parser.add_argument("--host", default="127.0.0.1", help="IPv4 address in 127.0.0.0/8 (default 127.0.0.1)")
    parser.add_argument("--port", type=int, default=DEFAULT_PORT,
                        help="port (default %d); 0 picks a free one" % DEFAULT_PORT)
    parser.add_argument("--data", default=os.path.join(HERE, "accounts.json"), help="account data file (JSON)")
    parser.add_argument("--log", help="append every request to this file as a JSON line")
    parser.add_argument("--behaviour", help="per-endpoint behaviour file (JSON), re-read when it changes")
    parser.add_argument("--content", default=os.path.join(HERE, "content"), help="folder of content pages")
    return parser.parse_args(argv)


def main(argv=None):
    args = parse_arguments(argv)
    try:
        check_loopback(args.host)
        service = accounts.load(args.data)
        behaviours = Behaviours(args.behaviour)
        server = AccountServer((args.host, args.port), service, behaviours, Recorder(args.log), args.content)
    except (ValueError, OSError) as error:
        print("account server: %s" % error, file=sys.stderr)
        return 2
    # The first line of output is the bound port, for whoever started us with port 0.
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
