#!/usr/bin/env python3
"""Links that other programs left in a served tree lead nowhere: not out of the root, not to the
server's own files inside it. A symbolic link, or a file with a second name, is missing for every
command, listings leave it out, and nothing outside the user's own area changes."""

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

    def test_acting_through_a_link_is_not_answered_as_done(self):
        # What a link stands in the way of is missing: 550, and no line tells of a delete, a new
        # folder or a removed one. Errors of folder commands are logged as ever.
        rows = [("anna", f"DELE {UPLOAD}/todir/secret.txt", []),
                ("anna", f"DELE {UPLOAD}/tofile", []),
                ("anna", f"DELE {UPLOAD}/inner", []),
                ("admin", "DELE /todir/secret.txt", []),
                ("admin", "DELE /etc/passwd", []),
                ("admin", "RMD /todir/emptydir",
                 [("Error  ", "Unable to remove directory /todir/emptydir")]),
                ("admin", "RMD /todir", [("Error  ", "Unable to remove directory /todir")]),
                ("admin", "MKD /todir/newdir", [("Error  ", "Unable to create directory /todir/newdir")]),
                ("admin", "MKD /todir", [("Error  ", "Unable to create directory /todir")])]
        self.install.log_lines()  # the log file exists before the picture is taken
        before = self.snapshot()
        for user, command, logged in rows:
            with self.subTest(user=user, command=command):
                ftp = self.host.ftp(user, [p for u, p, _ in USERS if u == user][0])
                mark = len(self.install.log_lines())
                with self.assertRaises(ftplib.error_perm) as e:
                    ftp.sendcmd(command)
                ftp.quit()
                self.assertTrue(str(e.exception).startswith("550 "), str(e.exception))
                self.assertEqual([(f[3], f[4]) for f in self.install.log_lines()[mark:]
                                  if f[3] != "Login  "], logged)
        self.assertEqual(self.snapshot(), before)

    def test_replies_name_the_ftp_path_not_the_disk(self):
        ftp = self.host.ftp("anna", "annapw")
        with self.assertRaises(ftplib.error_perm) as e:
            ftp.retrbinary(f"RETR {UPLOAD}/nothing.txt", lambda _: None)
        self.assertIn(f"{UPLOAD}/nothing.txt", str(e.exception))
        self.assertNotIn(self.install.root, str(e.exception))
        ftp.quit()


class HardLinks(s.ServedCase):
    """A second name of a file (made by a program allowed to link it) leads nowhere either: to
    a file outside the root, or to the server's own "Users.xml". Such a file is missing to every
    command and to listings, for both kinds of user, while the server still reads its users."""

    OUTER = "vdx-hardlinks-"
    LINKS = ["hl_secret", "hl_users"]

    @classmethod
    def prepare(cls):
        cls.outside = os.path.join(cls.outer, "outside")
        os.makedirs(cls.outside)
        cls.secret = os.path.join(cls.outside, "secret.txt")
        with open(cls.secret, "wb") as f:
            f.write(b"top secret")
        cls.install.write_settings(AdminRootDir=cls.admin_root + "/")
        cls.install.write_users(USERS)
        cls.users_xml = os.path.join(cls.install.app_dir, "Users.xml")
        cls.folders = {"anna": cls.install.path(UPLOAD), "admin": cls.admin_root}
        for folder in cls.folders.values():
            os.makedirs(folder)
            with open(os.path.join(folder, "real.txt"), "wb") as f:
                f.write(b"real")
            os.link(cls.secret, os.path.join(folder, "hl_secret"))
            os.link(cls.users_xml, os.path.join(folder, "hl_users"))

    def state(self):
        """The linked files and every name of them, as they are on disk."""
        result = {}
        for path in [self.secret, self.users_xml] + [os.path.join(folder, link)
                                                   for folder in self.folders.values()
                                                   for link in self.LINKS]:
            st = os.lstat(path)
            result[path] = (st.st_ino, st.st_mode, st.st_nlink, st.st_mtime_ns, st.st_size,
                            hashlib.sha1(s.read_bytes(path)).hexdigest())
        return result

    def commands(self, base):
        own = base + "/real.txt"
        result = []
        for link in self.LINKS:
            path = f"{base}/{link}"
            result += [f"RETR {path}", f"STOR {path}", f"APPE {path}", f"DELE {path}",
                       f"SIZE {path}", f"MDTM {path}", f"MLST {path}", f"XCRC {path}",
                       f"XMD5 {path}", f'XSHA1 "{path}" 0 4', f"SITE ATTRIB +R {path}",
                       f"SITE ATTRIB 1 {path}", f"MFMT 20000101000000 {path}",
                       f"MFCT 20000101000000 {path}", f"SITE UTIME 20000101000000 {path}",
                       f"MDTM 20000101000000 {path}", f"RNFR {path}", f"RNTO {path}",
                       f"COMB {base}/comb.txt {path}", f"COMB {path} {own}", f"RMD {path}",
                       f"MKD {path}", f"CWD {path}", f"STAT {path}", f"LIST {path}",
                       f"NLST {path}", f"MLSD {path}"]
        return result

    def test_no_hard_link_is_followed(self):
        before = self.state()
        for user, password, _ in USERS:
            base = "" if user == "admin" else UPLOAD
            self.own = base + "/real.txt"
            ftp = self.host.ftp(user, password)
            mark = len(self.install.log_lines())
            for command in self.commands(base):
                with self.subTest(user=user, command=command):
                    reply, data = served_confine.Confined.attempt(self, ftp, command)
                    for leak in ["top secret", "Vardex", "hl_"]:
                        self.assertNotIn(leak, data)
                    verb = command.split()[0]
                    if verb == "STAT":
                        self.assertNotIn("hl_", "\n".join(reply.splitlines()[1:]))
                    elif verb in ("MKD", "RMD") and user != "admin":
                        pass  # refused to all but administrators, and answered as done
                    elif verb not in ("LIST", "NLST", "MLSD"):
                        self.assertRegex(reply, r"^5\d\d ", command)
                    self.assertEqual(self.state(), before, command)
            # Listings show what can be opened and nothing else.
            for verb in ("NLST", "MLSD", "LIST"):
                lines = []
                ftp.retrlines(f"{verb} {base or '/'}", lines.append)
                for link in self.LINKS:
                    self.assertNotIn(link, " ".join(lines), f"{user} {verb}")
                self.assertIn("real.txt", " ".join(lines))
            ftp.quit()
            # Nothing was logged as done to a linked file.
            for fields in self.install.log_lines()[mark:]:
                if fields[3] in ("Read   ", "Write  ", "Delete "):
                    self.assertNotIn("hl_", fields[4], fields)
        for folder in self.folders.values():
            self.assertEqual(s.read_bytes(os.path.join(folder, "real.txt")), b"real")
            self.assertFalse(os.path.exists(os.path.join(folder, "comb.txt")))
        # The server reads its own users file as ever, whatever other names it has.
        for user, password, _ in USERS:
            self.host.ftp(user, password).quit()


if __name__ == "__main__":
    s.main()
