"""The server binds to loopback addresses only, and a primary and a backup can share a port."""

import socket
import unittest

from fixture import ACCOUNT
from server_process import import_server_module, run_server, start_server


class LoopbackOnlyTests(unittest.TestCase):
    REFUSED = ("0.0.0.0", "10.1.2.3", "192.0.2.1", "128.0.0.1", "::1", "localhost", "")

    def test_command_line_refuses_other_addresses(self):
        for host in self.REFUSED:
            with self.subTest(host=host):
                finished = run_server("--host", host, "--port", "0")
                self.assertEqual(finished.returncode, 2)
                self.assertEqual(finished.stdout, "")
                self.assertIn("refusing to bind", finished.stderr)

    def test_server_class_refuses_before_binding(self):
        account_server = import_server_module("account_server")
        for host in self.REFUSED:
            with self.subTest(host=host):
                with self.assertRaisesRegex(ValueError, "refusing to bind"):
                    account_server.AccountServer((host, 0), None, None, None, ".")


class PrimaryAndBackupTests(unittest.TestCase):
    def test_backup_on_127_0_0_2_with_the_primary_port(self):
        primary = start_server(self.addCleanup)
        backup = start_server(self.addCleanup, "--port", str(primary.port), host="127.0.0.2")
        self.assertEqual(backup.port, primary.port)
        for server in (primary, backup):
            with self.subTest(host=server.host):
                status, _ = server.get(ACCOUNT + "netcheck09.php")
                self.assertEqual(status, 200)
                self.assertEqual(server.requests()[-1]["server"], "%s:%d" % (server.host, server.port))

    def test_bound_address_only(self):
        backup = start_server(self.addCleanup, host="127.0.0.2")
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.3", backup.port), timeout=2).close()

    def test_port_in_use_is_reported(self):
        primary = start_server(self.addCleanup)
        finished = run_server("--port", str(primary.port))
        self.assertEqual(finished.returncode, 2)
        self.assertIn("account server:", finished.stderr)


if __name__ == "__main__":
    unittest.main()
