#!/usr/bin/env python3
"""Symbolic links that other programs left in a served tree lead nowhere: not out of the root,
not to the server's own files inside it. A link is missing for every command, listings leave it
out, and nothing outside the user's own area changes."""

import ftplib
import hashlib
import os

import served_confine
import served_support as s

USERS = [("anna", "annapw", "T"), ("admin", "adminpw", "A")]
UPLOAD = "/VdxTxtServer/transfer/anna"
LINKS = ["tofile", "todir", "dangling", "etc", "prog", "users", "inner"]


class Links(s.ServedCase):
    OUTER = "vdx-links-"

    @classmethod
    def prepare(cls):
        outside = os.path.join(cls.outer, "outside")
        os.makedirs(os.path.join(outside, "emptydir"))
        with open(os.path.join(outside, "secret.txt"), "wb") as f:
            f.write(b"top secret")
        cls.folders = {"anna": cls.install.path(UPLOAD), "admin": cls.admin_root}
        for folder in cls.folders.values():
            os.makedirs(folder)
            with open(os.path.join(folder, "real.txt"), "wb") as f:
                f.write(b"real")
            targets = {"tofile": os.path.join(outside, "secret.txt"), "todir": outside,
                       "dangling": os.path.join(outside, "missing.txt"), "etc": "/etc",
                       "prog": cls.install.app_dir,
                       "users": os.path.join(cls.install.app_dir, "Users.xml"),
                       "inner": "real.txt"}
            for name, target in targets.items():
                os.symlink(target, os.path.join(folder, name))
        cls.install.write_settings(AdminRootDir=cls.admin_root + "/")
        cls.install.write_users(USERS)

    def snapshot(self):
        """Every entry below the outer folder (links as links), except the log."""
        state = {}
        for dirpath, dirnames, filenames in os.walk(self.outer):
            for name in dirnames + filenames:
                path = os.path.join(dirpath, name)
                if name == "VdxFtpServer.log":
                    continue
                st = os.lstat(path)
                digest = ""
                if os.path.isfile(path) and not os.path.islink(path):
                    with open(path, "rb") as f:
                        digest = hashlib.sha1(f.read()).hexdigest()
                state[path] = (st.st_mode, st.st_mtime_ns, st.st_ino, digest)
        return state

    def commands(self, base):
        own = base + "/real.txt"
        result = []
        for link in LINKS:
            path = f"{base}/{link}"
            # The link itself, and what lies behind it as a folder.
            result += [f"RETR {path}", f"STOR {path}", f"APPE {path}", f"DELE {path}",
                       f"SIZE {path}", f"MDTM {path}", f"MLST {path}", f"XCRC {path}",
                       f"SITE ATTRIB +R {path}", f"MFMT 20000101000000 {path}", f"RMD {path}",
                       f"RNFR {path}", f"COMB {own} {path}"]
            result += served_confine.Confined.commands(self, path)
            result += [f"RETR {path}/passwd", f"RETR {path}/Users.xml",
                       f"STOR {path}/Users.xml", f"RNFR {path}/Users.xml"]
        return result

    def test_no_link_is_followed(self):
        self.install.log_lines()  # the log file exists before the picture is taken
        before = self.snapshot()
        for user, password, _ in USERS:
            base = "" if user == "admin" else UPLOAD
            self.own = base + "/real.txt"
            ftp = self.host.ftp(user, password)
            for command in self.commands(base):
                with self.subTest(user=user, command=command):
                    reply, data = served_confine.Confined.attempt(self, ftp, command)
                    for leak in ["top secret", "root:", "Vardex", "secret.txt", "passwd"]:
                        self.assertNotIn(leak, data)
                    if command.split()[0] in ("RETR", "SIZE", "MDTM", "MLST", "XCRC", "MFMT"):
                        self.assertRegex(reply, r"^5\d\d ", command)
                    self.assertNotIn(self.outer, reply)
            # Listings show what can be opened and nothing else.
            for verb in ("NLST", "MLSD", "LIST"):
                lines = []
                ftp.retrlines(f"{verb} {base or '/'}", lines.append)
                listed = " ".join(lines)
                for link in LINKS:
                    self.assertNotIn(link, listed.split(), f"{user} {verb}")
                self.assertIn("real.txt", listed)
            ftp.quit()
        after = self.snapshot()
        self.assertEqual({k: v for k, v in after.items() if before.get(k) != v},
                         {k: v for k, v in before.items() if after.get(k) != v})

    def test_replies_name_the_ftp_path_not_the_disk(self):
        ftp = self.host.ftp("anna", "annapw")
        with self.assertRaises(ftplib.error_perm) as e:
            ftp.retrbinary(f"RETR {UPLOAD}/nothing.txt", lambda _: None)
        self.assertIn(f"{UPLOAD}/nothing.txt", str(e.exception))
        self.assertNotIn(self.install.root, str(e.exception))
        ftp.quit()


if __name__ == "__main__":
    s.main()
