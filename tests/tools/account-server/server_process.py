"""Starting and stopping the account server for a test, and talking HTTP to it.

The server runs as a child process started on port 0; its first line of output is the port.
Every server started here is stopped by the test's clean-up, whatever the test's outcome.
"""

import http.client
import importlib
import json
import os
import subprocess
import sys
import threading
import urllib.parse

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
SERVER_DIR = os.path.join(ROOT, "tools", "account-server")
SERVER = os.path.join(SERVER_DIR, "account_server.py")
DEMO_DATA = os.path.join(SERVER_DIR, "accounts.json")
START_TIMEOUT_S = 10


def import_server_module(name):
    sys.dont_write_bytecode = True  # keep the tool folder free of caches
    if SERVER_DIR not in sys.path:
        sys.path.insert(0, SERVER_DIR)
    return importlib.import_module(name)


def run_server(*args):
    """Runs the server to completion (for start-up failures); returns the finished process."""
    return subprocess.run([sys.executable, "-B", SERVER, *args], capture_output=True, text=True,
                          timeout=START_TIMEOUT_S)


class ServerProcess:
    def __init__(self, *args, host="127.0.0.1"):
        self.host = host
        self._process = subprocess.Popen([sys.executable, "-B", SERVER, "--host", host, "--port", "0", *args],
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        watchdog = threading.Timer(START_TIMEOUT_S, self._process.kill)
        watchdog.start()
        try:
            first_line = self._process.stdout.readline()
        finally:
            watchdog.cancel()
        if not first_line.strip().isdigit():
            self.stop()
            raise RuntimeError("account server did not start: %r %s" % (first_line, self.stderr_text))
        self.port = int(first_line)

    def stop(self):
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait()
        self.stderr_text = self._process.stderr.read()
        self._process.stdout.close()
        self._process.stderr.close()

    def request(self, method, target, body=None, headers=None, timeout=5):
        """(status, headers, body bytes) of one exchange."""
        connection = http.client.HTTPConnection(self.host, self.port, timeout=timeout)
        try:
            connection.request(method, target, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, response.getheaders(), response.read()
        finally:
            connection.close()

    def post_form(self, path, fields, timeout=5):
        """Posts fields (pairs, in order) URL-encoded; returns (status, body bytes)."""
        body = urllib.parse.urlencode(fields)
        status, _, reply = self.request("POST", path, body, {"Content-Type": "application/x-www-form-urlencoded"},
                                         timeout)
        return status, reply

    def get(self, target, timeout=5):
        status, _, reply = self.request("GET", target, timeout=timeout)
        return status, reply

    def control(self, method, name, value=None):
        body = None if value is None else json.dumps(value)
        status, _, reply = self.request(method, "/__control/" + name, body)
        if status != 200:
            raise RuntimeError("control %s %s: %d %r" % (method, name, status, reply))
        return json.loads(reply)

    def set_behaviour(self, table):
        self.control("POST", "behaviour", table)

    def requests(self):
        return self.control("GET", "requests")


def start_server(add_cleanup, *args, host="127.0.0.1"):
    """Starts a server and registers its stop with add_cleanup (a test's or a class's)."""
    server = ServerProcess(*args, host=host)
    add_cleanup(server.stop)
    return server
