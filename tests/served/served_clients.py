#!/usr/bin/env python3
"""Real clients other than ftplib: lftp mirrors a folder tree up and down with MODE Z and it comes
back byte-identical; curl uploads, lists and downloads in a teletext user's upload folder."""

import filecmp
import os
import random
import subprocess
import tempfile

import served_support as s

USERS = [("admin", "adminpw", "A"), ("anna", "annapw", "T")]
UPLOAD = "/VdxTxtServer/transfer/anna"


def make_tree(base):
    rng = random.Random(4318)
    files = {"empty.bin": b"", "one.txt": b"1", "text lines.txt": b"line\r\nline\n" * 5000,
             "sub/random.bin": rng.randbytes(300_000), "sub/deeper/zeros.bin": bytes(2_000_000),
             "sub/deeper/p100.tti": rng.randbytes(4096), "other/x.dat": rng.randbytes(70_000)}
    for name, data in files.items():
        path = os.path.join(base, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return files


def same_trees(a, b):
    compare = filecmp.dircmp(a, b)
    if compare.left_only or compare.right_only or compare.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, compare.common_files, shallow=False)
    return not mismatch and not errors and all(
        same_trees(os.path.join(a, d), os.path.join(b, d)) for d in compare.common_dirs)


class Clients(s.ServedCase):
    @classmethod
    def prepare(cls):
        os.makedirs(cls.admin_root)
        os.makedirs(cls.install.path(UPLOAD))
        cls.install.write_settings(AdminRootDir=cls.admin_root + "/")
        cls.install.write_users(USERS)
        cls.local = tempfile.mkdtemp(prefix="vdx-clients-")

    @classmethod
    def cleanup(cls):
        s.remove_tree(cls.local)

    def lftp(self, script, debug_file):
        settings = ("set ftp:use-mode-z true; set ftp:passive-mode true; set net:timeout 10; "
                    "set net:max-retries 2; set net:reconnect-interval-base 1; "
                    "set cmd:fail-exit true; set xfer:clobber true; ")
        command = (f"{settings} debug -o {debug_file} 5; "
                   f"open -u admin,adminpw ftp://127.0.0.1:{self.host.port}; {script}")
        return subprocess.run([s.ARGS.lftp, "-c", command], capture_output=True, timeout=120)

    def test_lftp_mirror_round_trip_with_mode_z(self):
        if not s.ARGS.lftp:
            self.skipTest("lftp is not installed")
        up = os.path.join(self.local, "up")
        down = os.path.join(self.local, "down")
        make_tree(up)
        debug = os.path.join(self.local, "lftp-debug.txt")
        result = self.lftp(f'mirror -R "{up}" /tree; mirror /tree "{down}"', debug)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        self.assertTrue(same_trees(up, os.path.join(self.admin_root, "tree")), "uploaded tree")
        self.assertTrue(same_trees(up, down), "downloaded tree")
        trace = s.read_bytes(debug).decode(errors="replace")
        self.assertIn("MODE Z", trace)
        self.assertIn("200 Mode set to Z.", trace)

    def test_curl_in_the_upload_folder(self):
        if not s.ARGS.curl:
            self.skipTest("curl is not installed")
        source = os.path.join(self.local, "curl-up.bin")
        with open(source, "wb") as f:
            f.write(random.Random(7).randbytes(500_000))
        url = f"ftp://127.0.0.1:{self.host.port}{UPLOAD}/"
        base = [s.ARGS.curl, "--silent", "--show-error", "--max-time", "30", "--user", "anna:annapw"]
        subprocess.run(base + ["-T", source, url + "p200.bin"], check=True, timeout=60)
        listing = subprocess.run(base + ["--list-only", url], check=True, capture_output=True,
                                 timeout=60).stdout.decode().split()
        self.assertIn("p200.bin", listing)
        target = os.path.join(self.local, "curl-down.bin")
        subprocess.run(base + ["-o", target, url + "p200.bin"], check=True, timeout=60)
        self.assertTrue(filecmp.cmp(source, target, shallow=False))
        refused = subprocess.run(base + ["-T", source, f"ftp://127.0.0.1:{self.host.port}/x.bin"],
                                 capture_output=True, timeout=60)
        self.assertNotEqual(refused.returncode, 0)
        self.assertEqual(s.events(self.install, "anna", ["Write  ", "Read   "]),
                         [("Write  ", UPLOAD + "/p200.bin"), ("Read   ", UPLOAD + "/p200.bin")])


if __name__ == "__main__":
    s.main()
