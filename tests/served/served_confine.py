#!/usr/bin/env python3
"""No FTP path leads outside the user's root; paths below the non-administrators' root that cannot
exist are missing whatever folders exist; rename, combine, checksums and the attribute and time
commands take the rights their effect needs."""

import ftplib
import hashlib
import io
import os

import served_support as s

USERS = [("anna", "annapw", "T"), ("admin", "adminpw", "A")]
UPLOAD = "/VdxTxtServer/transfer/anna"
CLIMBS = ["..", "../..", "..\\..", "/../..", UPLOAD + "/../../../..", "VdxTxtServer\\..\\..\\..",
          "%2e%2e/%2e%2e", "%2e%2e%2f%2e%2e", "...", "./../.", "/VdxTxtServer/.../.."]


class Confined(s.ServedCase):
    OUTER = "vdx-confine-"

    @classmethod
    def prepare(cls):
        cls.inst = cls.install.root
        cls.cwd = os.path.join(cls.outer, "cwd")
        for folder in [cls.admin_root, cls.install.path(UPLOAD), cls.cwd]:
            os.makedirs(folder)
        for base in [cls.outer, cls.inst]:
            cls.write(os.path.join(base, "secret.txt"), b"top secret")
            os.makedirs(os.path.join(base, "emptydir"))
        # A folder named like the non-administrators' root, where a relative lookup would land.
        for base in [cls.cwd, cls.inst, cls.admin_root]:
            cls.write(os.path.join(base, ">>>>>", "Other", "x.txt"), b"unreachable")
        cls.write(cls.install.path("VdxTxtServer/users/users.ini"), b"[anna]\r\npassword=plain\r\n")
        cls.write(cls.install.path("VdxTxtServer/log/x.log"), b"log")
        cls.install.write_settings(AdminRootDir=cls.admin_root + "/")
        cls.install.write_users(USERS + [("ivo", "ivopw", "I")])

    @staticmethod
    def write(path, data):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def snapshot(self, skip):
        """Every file and folder below the outer folder except the given trees and the log."""
        state = {}
        for dirpath, dirnames, filenames in os.walk(self.outer):
            dirnames[:] = [d for d in dirnames if os.path.join(dirpath, d) not in skip]
            for name in dirnames:
                path = os.path.join(dirpath, name)
                state[path] = ("dir", os.stat(path).st_mode)
            for name in filenames:
                path = os.path.join(dirpath, name)
                if name == "VdxFtpServer.log":
                    continue
                st = os.stat(path)
                with open(path, "rb") as f:
                    digest = hashlib.sha1(f.read()).hexdigest()
                state[path] = (st.st_mode, st.st_mtime_ns, digest)
        return state

    def attempt(self, ftp, command):
        """The reply to a command and everything it sends over a data connection."""
        verb = command.split()[0]
        try:
            if verb in ("LIST", "NLST", "MLSD"):
                lines = []
                reply = ftp.retrlines(command, lines.append)
                return reply, "\n".join(lines)
            if verb == "RETR":
                chunks = []
                reply = ftp.retrbinary(command, chunks.append)
                return reply, b"".join(chunks).decode("latin-1")
            if verb in ("STOR", "APPE"):
                return ftp.storbinary(command, io.BytesIO(b"evil")), ""
            if verb == "RNFR":
                ftp.sendcmd(command)
                return ftp.sendcmd("RNTO /stolen.txt"), ""
            if verb == "RNTO":
                ftp.sendcmd("RNFR " + self.own)
                return ftp.sendcmd(command), ""
            if verb == "CWD":
                ftp.sendcmd(command)
                lines = []
                ftp.retrlines("LIST", lines.append)
                reply = ftp.sendcmd("PWD")
                ftp.cwd("/")
                return reply, "\n".join(lines)
            return ftp.sendcmd(command), ""
        except ftplib.Error as e:
            return str(e), ""

    def commands(self, path):
        return [f"CWD {path}", f"LIST {path}", f"NLST {path}", f"MLSD {path}", f"MLST {path}/secret.txt",
                f"RETR {path}/secret.txt", f"STOR {path}/evil.txt", f"APPE {path}/secret.txt",
                f"DELE {path}/secret.txt", f"MKD {path}/newdir", f"RMD {path}/emptydir",
                f"RNFR {path}/secret.txt", f"RNTO {path}/moved.txt", f"SIZE {path}/secret.txt", f"MDTM {path}/secret.txt",
                f"MFMT 20000101000000 {path}/secret.txt", f"MFCT 20000101000000 {path}/secret.txt",
                f"SITE UTIME 20000101000000 {path}/secret.txt", f"SITE ATTRIB +R {path}/secret.txt",
                f"MDTM 20000101000000 {path}/secret.txt", f"COMB {path}/comb.txt {path}/secret.txt",
                f"XCRC {path}/secret.txt"]

    def test_no_path_climbs_out_of_the_root(self):
        for user, password, _ in USERS:
            skip = {self.admin_root} if user == "admin" else {self.install.path(UPLOAD)}
            # A file of the user's own for renames to aim out of the root.
            self.own = "/own.txt" if user == "admin" else UPLOAD + "/own.txt"
            self.write(os.path.join(next(iter(skip)), "own.txt"), b"own")
            before = self.snapshot(skip)
            ftp = self.host.ftp(user, password)
            for climb in CLIMBS:
                for command in self.commands(climb):
                    with self.subTest(user=user, command=command):
                        reply, data = self.attempt(ftp, command)
                        self.assertNotIn("top secret", data)
                        self.assertNotIn("secret.txt", data)
                        self.assertNotIn(os.path.basename(self.inst), data)
                        if command.split()[0] in ("MLST", "RETR", "SIZE", "MDTM", "XCRC"):
                            self.assertRegex(reply, r"^5\d\d ", command)
            ftp.quit()
            self.assertEqual(self.snapshot(skip), before, user)

    def test_nul_bytes_are_refused(self):
        ftp = self.host.ftp("admin", "adminpw")
        for command in ["RETR a\0b", "CWD \0", "STOR x\0y", "DELE \0", "MKD a\0", "SIZE \0x"]:
            with self.subTest(command=repr(command)):
                self.assertEqual(self.attempt(ftp, command)[0], "501 Invalid path name.")
        ftp.quit()
        self.assertFalse(os.path.exists(os.path.join(self.admin_root, "x")))

    def test_paths_below_the_non_existent_root_are_missing(self):
        skip = {self.install.path(UPLOAD)}
        before = self.snapshot(skip)
        ftp = self.host.ftp("anna", "annapw")
        mark = len(self.install.log_lines())
        for command in ["LIST /Other", "NLST /Other", "MLSD />>>>>", "LIST /Other/x.txt"]:
            with self.subTest(command=command):
                reply, data = self.attempt(ftp, command)
                self.assertEqual((reply[:3], data), ("226", ""))
        self.assertEqual(self.attempt(ftp, "CWD /Other"), ("550 Directory /Other not found", ""))
        for command in ["RETR /Other/x.txt", "SIZE /Other/x.txt", "MDTM /Other/x.txt",
                        "MLST /Other/x.txt", "MLST /Other", "XCRC /Other/x.txt",
                        "STOR /Other/new.txt", "APPE /Other/x.txt", "MFMT 20000101000000 /Other/x.txt",
                        "SITE ATTRIB +R /Other/x.txt"]:
            with self.subTest(command=command):
                self.assertRegex(self.attempt(ftp, command)[0], r"^5\d\d ")
        ftp.delete("/Other/x.txt")
        ftp.quit()
        self.assertEqual(self.snapshot(skip), before)
        self.assertIn(["anna", "127.0.0.1", "Error  ", "Directory /Other not found"],
                      [fields[1:] for fields in self.install.log_lines()[mark:]])

    def test_rights_of_rename_combine_checksum_attributes_and_times(self):
        up = self.install.path(UPLOAD)
        for name in ["evil.xml", "a.txt", "keep1.txt", "keep2.txt", "c1", "c2", "t.txt"]:
            self.write(os.path.join(up, name), name.encode())
        users_xml = self.install.path("VdxFtpServer/Users.xml")
        refused = [
            ["RNFR " + UPLOAD + "/evil.xml", "RNTO /VdxFtpServer/Users.xml"],
            ["RNFR /VdxTxtServer/users/users.ini", "RNTO " + UPLOAD + "/u.ini"],
            ["RNFR /VdxTxtServer/log/x.log", "RNTO " + UPLOAD + "/x.log"],
            ["COMB " + UPLOAD + "/u.ini /VdxTxtServer/users/users.ini"],
            ["COMB /VdxTxtServer/log/x.log " + UPLOAD + "/c1"],
            ["XCRC /VdxTxtServer/users/users.ini"],
            ['XCRC "/VdxTxtServer/users/users.ini" 0 1'],
            ["SITE ATTRIB +R /VdxTxtServer/log/x.log"],
            ["MFMT 20000101000000 /VdxTxtServer/log/x.log"],
            ["MFCT 20000101000000 /VdxTxtServer/log/x.log"],
            ["SITE UTIME 20000101000000 /VdxTxtServer/log/x.log"],
            ["MDTM 20000101000000 /VdxTxtServer/log/x.log"],
        ]
        skip = {self.admin_root}
        ftp = self.host.ftp("anna", "annapw")
        for commands in refused:
            with self.subTest(commands=commands):
                before = self.snapshot(skip)
                mark = len(self.install.log_lines())
                *first, last = commands
                for command in first:
                    ftp.sendcmd(command)
                with self.assertRaises(ftplib.error_perm) as e:
                    ftp.sendcmd(last)
                self.assertEqual(str(e.exception), "550 Permission denied.")
                self.assertEqual(self.snapshot(skip), before)
                self.assertEqual(self.install.log_lines()[mark:], [])
        self.assertIn(b"Vardex", s.read_bytes(users_xml))

        # What the teletext programs do inside their upload area still works.
        allowed = [("RNFR " + UPLOAD + "/a.txt", "350"), ("RNTO " + UPLOAD + "/b.txt", "250"),
                   (f"COMB {UPLOAD}/t.txt {UPLOAD}/c1 {UPLOAD}/c2", "250"),
                   ("XCRC " + UPLOAD + "/b.txt", "250"), ("XCRC /VdxTxtServer/log/x.log", "250"),
                   ("SITE ATTRIB +R " + UPLOAD + "/b.txt", "200"),
                   ("SITE ATTRIB -R " + UPLOAD + "/b.txt", "200"),
                   ("MFMT 20000101000000 " + UPLOAD + "/b.txt", "213"),
                   ("MFCT 20000101000000 " + UPLOAD + "/b.txt", "213"),
                   ("SITE UTIME 20010101000000 " + UPLOAD + "/b.txt", "200"),
                   ("MDTM 20020101000000 " + UPLOAD + "/b.txt", "253")]
        for command, code in allowed:
            with self.subTest(command=command):
                self.assertEqual(ftp.sendcmd(command)[:3], code)
        self.assertEqual(s.read_bytes(os.path.join(up, "t.txt")), b"t.txtc1c2")
        self.assertEqual(s.read_bytes(os.path.join(up, "b.txt")), b"a.txt")

        # A rename that fails says so, and moves nothing.
        ftp.sendcmd(f"RNFR {UPLOAD}/keep1.txt")
        with self.assertRaises(ftplib.error_perm) as e:
            ftp.sendcmd(f"RNTO {UPLOAD}/keep2.txt")
        self.assertTrue(str(e.exception).startswith("550"))
        self.assertEqual(s.read_bytes(os.path.join(up, "keep2.txt")), b"keep2.txt")
        ftp.quit()

    def test_upload_areas_stay_where_they_are(self):
        # The folder that is an upload area, and every folder above it, holds every user's
        # uploads and the teletext server's pickup: its users cannot rename or remove it.
        os.makedirs(self.install.path(UPLOAD + "/mine"), exist_ok=True)
        refused = [("anna", ["RNFR /VdxTxtServer/transfer", "RNTO /VdxTxtServer/transfer_gone"]),
                   ("anna", ["RNFR /vdxtxtserver\\TRANSFER\\", "RNTO " + UPLOAD + "/inner"]),
                   ("anna", ["RNFR " + UPLOAD + "/mine", "RNTO /Vdx/TxtServer/transfer"]),
                   ("anna", ["RNFR /VdxTxtServer", "RNTO /VdxTxtServer/transfer/x"]),
                   ("ivo", ["RNFR /VdxInfo/transfer", "RNTO /VdxInfo/transfer_gone"]),
                   ("ivo", ["RNFR /VdxInfo/transfer/", "RNTO /VdxInfo/transfer2"])]
        skip = {self.admin_root}
        before = self.snapshot(skip)
        for user, commands in refused:
            with self.subTest(user=user, commands=commands):
                ftp = self.host.ftp(user, user + "pw")
                ftp.sendcmd(commands[0])
                with self.assertRaises(ftplib.error_perm) as e:
                    ftp.sendcmd(commands[1])
                self.assertEqual(str(e.exception), "550 Permission denied.")
                ftp.quit()
        # Removing: refused as the other refusals of these commands are, silently.
        ftp = self.host.ftp("anna", "annapw")
        mark = len(self.install.log_lines())
        for command in ["DELE /VdxTxtServer/transfer", "RMD /VdxTxtServer/transfer",
                        "RMD /VdxTxtServer", "DELE /VdxTxtServer/transfer/"]:
            ftp.sendcmd(command)
        self.assertEqual([f for f in self.install.log_lines()[mark:] if f[3] != "Login  "], [])
        self.assertEqual(self.snapshot(skip), before)
        # What lies inside stays the user's to change.
        self.assertEqual(ftp.sendcmd(f"RNFR {UPLOAD}/mine")[:3], "350")
        self.assertEqual(ftp.sendcmd(f"RNTO {UPLOAD}/yours")[:3], "250")
        self.assertEqual(ftp.sendcmd(f"RNFR {UPLOAD}")[:3], "350")
        self.assertEqual(ftp.sendcmd("RNTO /VdxTxtServer/transfer/anna2")[:3], "250")
        self.assertTrue(os.path.isdir(self.install.path("VdxTxtServer/transfer/anna2/yours")))
        ftp.sendcmd("RNFR /VdxTxtServer/transfer/anna2")
        ftp.sendcmd(f"RNTO {UPLOAD}")
        ftp.quit()
        # An administrator renames and removes such folders as any other.
        os.makedirs(os.path.join(self.admin_root, "VdxInfo", "transfer"))
        ftp = self.host.ftp("admin", "adminpw")
        for command, code in [("RNFR /VdxInfo/transfer", "350"), ("RNTO /VdxInfo/moved", "250"),
                              ("RMD /VdxInfo/moved", "250")]:
            with self.subTest(command=command):
                self.assertEqual(ftp.sendcmd(command)[:3], code)
        ftp.quit()
        self.assertEqual(os.listdir(os.path.join(self.admin_root, "VdxInfo")), [])

    def test_administrators_keep_every_right(self):
        self.write(os.path.join(self.admin_root, "f1"), b"admin")
        ftp = self.host.ftp("admin", "adminpw")
        for command, code in [("RNFR /f1", "350"), ("RNTO /f2", "250"), ("XCRC /f2", "250"),
                              ("SITE ATTRIB +R /f2", "200"), ("SITE ATTRIB -R /f2", "200"),
                              ("MFMT 20000101000000 /f2", "213"), ("MDTM 20020101000000 /f2", "253"),
                              ("SITE UTIME 20010101000000 /f2", "200"), ("COMB /f3 /f2", "250")]:
            with self.subTest(command=command):
                self.assertEqual(ftp.sendcmd(command)[:3], code)
        ftp.quit()
        self.assertEqual(s.read_bytes(os.path.join(self.admin_root, "f3")), b"admin")


if __name__ == "__main__":
    s.main()
