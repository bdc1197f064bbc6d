"""Shared pieces of the served tests: a temporary install root with "Settings.xml" and
"Users.xml", the headless test host running on it, and small client helpers.

Every server listens on a port the system chooses and is reached over 127.0.0.1 only."""

import argparse
import ftplib
import os
import queue
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

ARGS = None
STAMP = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")
TIMEOUT = 15  # seconds for any one client operation


def parse_args():
    """Reads --host, --users, --curl and --lftp; the rest goes to unittest."""
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--users", required=True)
    parser.add_argument("--curl", default="")
    parser.add_argument("--lftp", default="")
    ARGS, rest = parser.parse_known_args()
    ARGS.host = os.path.abspath(ARGS.host)
    ARGS.users = os.path.abspath(ARGS.users)
    return [sys.argv[0]] + rest


def main():
    argv = parse_args()
    unittest.main(argv=argv, verbosity=2)


class InstallRoot:
    """A temporary install root: the server's folder and the two product trees."""

    FOLDERS = ["VdxFtpServer", "VdxTxtServer/transfer", "VdxTxtServer/log",
               "VdxTxtServer/users", "VdxInfo/transfer", "VdxInfo/log"]

    def __init__(self, base=None):
        self.root = tempfile.mkdtemp(prefix="vdx-served-", dir=base)
        for folder in self.FOLDERS:
            os.makedirs(self.path(folder), exist_ok=True)
        self.app_dir = self.path("VdxFtpServer")
        self.host = None  # the running host, which writes the log from a thread of its own

    def path(self, relative=""):
        return os.path.join(self.root, relative.lstrip("/"))

    def write_settings(self, **values):
        settings = {"Port": 0, "UseVdxInfo": True, "UseVdxText": True,
                    "AdminRootDir": self.root + "/", "UseCustomPortRange": False,
                    "PasvMinPort": 0, "PasvMaxPort": 0, "UsePasvIP": False, "PasvIP": ""}
        settings.update(values)
        lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<Vardex>", "\t<Settings>"]
        for name, value in settings.items():
            if isinstance(value, bool):
                value = "true" if value else "false"
            value = str(value).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            lines.append(f"\t\t<{name}>{value}</{name}>" if value else f"\t\t<{name}/>")
        lines += ["\t</Settings>", "</Vardex>", ""]
        with open(os.path.join(self.app_dir, "Settings.xml"), "w", newline="") as f:
            f.write("\r\n".join(lines))

    def write_users(self, users):
        """users: (name, password, flags) with flags from "TWIAS"."""
        text = "".join(f"{name}\t{password}\t{flags}\n" for name, password, flags in users)
        subprocess.run([ARGS.users, self.app_dir], input=text.encode(), check=True,
                       timeout=TIMEOUT)

    def log_lines(self):
        """The lines of "VdxFtpServer.log", each split into its TAB-separated fields, with
        every line logged so far by a running host."""
        if self.host is not None:
            self.host.flush_log()
        try:
            with open(os.path.join(self.app_dir, "VdxFtpServer.log"), "rb") as f:
                data = f.read().decode("latin-1")
        except FileNotFoundError:
            return []
        assert data == "" or data.endswith("\r\n"), "log lines end in CR LF"
        return [line.split("\t") for line in data.split("\r\n")[:-1]]

    def remove(self):
        remove_tree(self.root)


def remove_tree(path):
    """Removes a folder and everything below it, read-only entries included."""
    for dirpath, dirnames, filenames in os.walk(path):
        for name in dirnames + filenames:
            entry = os.path.join(dirpath, name)
            if os.path.islink(entry):
                continue  # a link goes as it is; its target is not ours to change
            try:
                os.chmod(entry, 0o700)
            except OSError:
                pass
    shutil.rmtree(path, ignore_errors=True)


class Host:
    """The test host on an install root; use as a context manager."""

    def __init__(self, install, cwd=None, nofile=None):
        self.install = install
        self.cwd = cwd
        self.nofile = nofile  # the host's limit of open descriptors, when given
        self.lines = queue.Queue()
        self.output = []
        self.port = None
        self.process = None
        self.flush_lock = threading.Lock()

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        limit = None
        if self.nofile is not None:
            def limit():
                hard = resource.getrlimit(resource.RLIMIT_NOFILE)[1]
                resource.setrlimit(resource.RLIMIT_NOFILE, (self.nofile, hard))
        self.process = subprocess.Popen([ARGS.host, self.install.app_dir], cwd=self.cwd,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        preexec_fn=limit)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        deadline = time.monotonic() + TIMEOUT
        while self.port is None:
            try:
                line = self.lines.get(timeout=max(0.1, deadline - time.monotonic()))
            except queue.Empty:
                line = None
            if line is None:
                self.process.kill()
                raise RuntimeError("test host did not start: " +
                                   self.process.stderr.read().decode(errors="replace"))
            if line.startswith("PORT "):
                self.port = int(line.split()[1])
        self.install.host = self

    def _read(self):
        for raw in self.process.stdout:
            line = raw.decode("latin-1").rstrip("\n")
            self.output.append(line)
            self.lines.put(line)
        self.lines.put(None)

    def stop(self, sig=signal.SIGTERM):
        """sig (SIGTERM or SIGINT), then the host must end by itself with exit code 0 after
        logging Stopped."""
        if self.install.host is self:
            self.install.host = None
        if not self.process or self.process.poll() is not None:
            return
        self.process.send_signal(sig)
        try:
            code = self.process.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise AssertionError(f"test host did not stop on {signal.Signals(sig).name}")
        assert code == 0, f"test host exit code {code}"
        self.reader.join(timeout=TIMEOUT)
        self.process.stdout.close()
        self.process.stderr.close()
        assert self.output and self.output[-1].split("\t")[3:4] == ["Stopped"], \
            "Stopped is the last line: " + repr(self.output[-3:])

    def flush_log(self):
        """Waits until the host has written every line logged so far to the log file."""
        with self.flush_lock:
            if self.process.poll() is not None:
                return
            count = self.output.count("FLUSHED")
            self.process.send_signal(signal.SIGUSR1)
            deadline = time.monotonic() + TIMEOUT
            while self.output.count("FLUSHED") <= count:
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise AssertionError("test host did not flush its log")
                time.sleep(0.005)

    def printed(self, line):
        """Whether the host prints line on standard output within the time limit (its reader
        thread takes the output as it comes)."""
        deadline = time.monotonic() + TIMEOUT
        while line not in self.output:
            if time.monotonic() > deadline:
                return False
            time.sleep(0.01)
        return True

    def ftp(self, user=None, password=None):
        """An ftplib connection, logged in when user is given."""
        ftp = ftplib.FTP()
        ftp.connect("127.0.0.1", self.port, timeout=TIMEOUT)
        if user is not None:
            ftp.login(user, password)
        return ftp


class ServedCase(unittest.TestCase):
    """One install root and one running host for every test of the class.

    OUTER is the name prefix of an outer temporary folder holding the install root, for
    tests that check that nothing beside the root changes. A class lays out its files and
    writes the settings and users in prepare(), before the host starts; cwd is the host's
    working folder; cleanup() removes what the class made outside the two trees."""

    OUTER = None
    cwd = None
    NOFILE = None  # the host's limit of open descriptors, when given

    @classmethod
    def prepare(cls):
        pass

    @classmethod
    def cleanup(cls):
        pass

    @classmethod
    def setUpClass(cls):
        cls.outer = tempfile.mkdtemp(prefix=cls.OUTER) if cls.OUTER else None
        cls.install = InstallRoot(base=cls.outer)
        cls.admin_root = cls.install.path("adminroot")
        cls.host = None
        try:
            cls.prepare()
            host = Host(cls.install, cwd=cls.cwd, nofile=cls.NOFILE)
            host.start()
            cls.host = host
        except BaseException:
            cls._remove_trees()  # tearDownClass does not run after a failed set-up
            raise

    @classmethod
    def tearDownClass(cls):
        try:
            if cls.host is not None:
                cls.host.stop()
        finally:
            cls._remove_trees()

    @classmethod
    def _remove_trees(cls):
        try:
            cls.cleanup()
        finally:
            cls.install.remove()
            if cls.outer is not None:
                remove_tree(cls.outer)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def reply_code(call, *args):
    """The reply code of an ftplib call, also when it raises an error reply."""
    try:
        return int(str(call(*args))[:3])
    except ftplib.Error as e:
        return int(str(e)[:3])


def events(install, user=None, kinds=None):
    """(kind, detail) of the log lines, optionally only those of one user or of some kinds."""
    result = []
    for fields in install.log_lines():
        if len(fields) != 5:
            continue
        if user is not None and fields[1] != user:
            continue
        if kinds is not None and fields[3] not in kinds:
            continue
        result.append((fields[3], fields[4]))
    return result
