#!/usr/bin/env python3
"""Passive mode as the settings make it: ports from a custom range, the external address in the
reply, a server that does not start on a bad range or a port in use, and one that stops cleanly
on SIGINT. Passive replies that
name another address are only read here, never connected to."""

import io
import random
import re
import signal
import socket
import subprocess
import unittest

import served_support as s

USERS = [("admin", "adminpw", "A")]


def passive_port(reply):
    m = re.search(r"\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\)", reply)
    return ".".join(m.group(1, 2, 3, 4)), int(m.group(5)) * 256 + int(m.group(6))


class Passive(unittest.TestCase):
    def setUp(self):
        self.install = s.InstallRoot()
        self.install.write_users(USERS)

    def tearDown(self):
        self.install.remove()

    def round_trip(self, host):
        ftp = host.ftp("admin", "adminpw")
        payload = bytes(range(256)) * 1000
        ftp.storbinary("STOR /p.bin", io.BytesIO(payload))
        chunks = []
        ftp.retrbinary("RETR /p.bin", chunks.append)
        self.assertEqual(b"".join(chunks), payload)
        return ftp

    def failed_start(self):
        result = subprocess.run([s.ARGS.host, self.install.app_dir], capture_output=True,
                                timeout=s.TIMEOUT)
        self.assertEqual(result.returncode, 1)
        self.assertNotIn(b"\tStarted\t", result.stdout)
        self.assertFalse(any(f[3:4] == ["Started"] for f in self.install.log_lines()))
        return result.stderr.decode()

    def test_ports_from_the_custom_range(self):
        low = random.randrange(40000, 60000, 20)
        self.install.write_settings(UseCustomPortRange=True, PasvMinPort=low, PasvMaxPort=low + 9)
        with s.Host(self.install) as host:
            ftp = self.round_trip(host)
            seen = set()
            for _ in range(40):
                address, port = passive_port(ftp.sendcmd("PASV"))
                self.assertEqual(address, "127.0.0.1")
                self.assertTrue(low <= port <= low + 9, port)
                seen.add(port)
            port = int(re.search(r"\(\|\|\|(\d+)\|\)", ftp.sendcmd("EPSV")).group(1))
            self.assertTrue(low <= port <= low + 9, port)
            self.assertGreater(len(seen), 1, "ports are drawn, not fixed")
            ftp.quit()

    def test_external_address_in_the_reply(self):
        for use, expected in [(True, "203.0.113.5"), (False, "127.0.0.1")]:
            with self.subTest(UsePasvIP=use):
                self.install.write_settings(UsePasvIP=use, PasvIP="203.0.113.5")
                with s.Host(self.install) as host:
                    # ftplib connects to the control connection's host, whatever the reply says.
                    ftp = self.round_trip(host)
                    self.assertEqual(passive_port(ftp.sendcmd("PASV"))[0], expected)
                    ftp.quit()

    def test_interrupt_closes_connections_and_logs_stopped(self):
        self.install.write_settings()
        host = s.Host(self.install)
        host.start()
        ftp = host.ftp("admin", "adminpw")
        host.stop(signal.SIGINT)
        self.assertTrue(ftp.getline().startswith("421"))
        ftp.close()
        self.assertEqual(self.install.log_lines()[-1][1:], ["", "", "Stopped", ""])

    def test_bad_range_keeps_the_server_from_starting(self):
        low = random.randrange(40000, 60000, 20)
        self.install.write_settings(UseCustomPortRange=True, PasvMinPort=low + 5, PasvMaxPort=low)
        self.assertIn("PASVBoundPortMax must be greater than PASVBoundPortMax.", self.failed_start())

    def test_port_in_use_keeps_the_server_from_starting(self):
        with socket.socket() as blocker:
            blocker.bind(("0.0.0.0", 0))
            blocker.listen()
            self.install.write_settings(Port=blocker.getsockname()[1])
            self.assertIn("Address already in use", self.failed_start())


if __name__ == "__main__":
    s.main()
