#!/usr/bin/env python3
"""The data module's handlers end to end with ftplib: the road of one upload and the log, logins,
the non-administrator's root, refusals, folders, deletes, COMB, listings, sizes, times, STAT,
exclusive opens and rights that follow "Users.xml"."""

import calendar
import ftplib
import io
import os
import re
import socket
import time

import served_support as s

USERS = [("Anna", "annapw", "T"), ("anna", "secondpw", "T"), ("admin", "adminpw", "A"),
         ("nobody", "nopw", ""), ("info", "infopw", "I")]
UPLOAD = "/VdxTxtServer/transfer/anna"
LOCAL_ERROR = "550 Requested action aborted: local error in processing."


def utc(*fields):
    return calendar.timegm(fields + (0,) * (6 - len(fields)))


class Served(s.ServedCase):
    @classmethod
    def prepare(cls):
        os.makedirs(cls.install.path(UPLOAD))
        os.makedirs(cls.admin_root)
        # Stored without a trailing "/": the root is used as stored.
        cls.install.write_settings(AdminRootDir=cls.admin_root)
        cls.install.write_users(USERS)

    def admin(self, relative=""):
        return os.path.join(self.admin_root, relative.lstrip("/"))

    def write(self, path, data=b"x"):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def mark(self):
        return len(self.install.log_lines())

    def since(self, mark):
        return [(f[3], f[4]) if len(f) == 5 else tuple(f) for f in self.install.log_lines()[mark:]]

    # ---- The road of one upload ----------------------------------------------------------

    def test_road_of_one_upload(self):
        payload = os.urandom(200_000) + b"\r\n\x00\xff end"
        mark = self.mark()
        ftp = self.host.ftp("anna", "annapw")
        ftp.storbinary(f"STOR {UPLOAD}/p100.tti", io.BytesIO(payload))
        ftp.quit()
        self.assertEqual(self.read(self.install.path(UPLOAD + "/p100.tti")), payload)

        lines = self.install.log_lines()[mark:]
        self.assertEqual(len(lines), 2, lines)
        for fields, kind, detail in zip(lines, ["Login  ", "Write  "], ["OK", UPLOAD + "/p100.tti"]):
            self.assertEqual(len(fields), 5, fields)
            self.assertRegex(fields[0], s.STAMP)
            stamp = time.mktime(time.strptime(fields[0], "%Y-%m-%d %H:%M:%S"))
            self.assertLess(abs(stamp - time.time()), 30, "local time of the line")
            self.assertEqual(fields[1:], ["anna", "127.0.0.1", kind, detail])
            self.assertTrue(self.host.printed("\t".join(fields)), "the line also reaches stdout")

    def test_paths_ignore_letter_case(self):
        ftp = self.host.ftp("anna", "annapw")
        ftp.storbinary("STOR /vdxtxtserver/TRANSFER/ANNA/Case.txt", io.BytesIO(b"case"))
        ftp.quit()
        self.assertEqual(self.read(self.install.path(UPLOAD + "/Case.txt")), b"case")

    def test_login_checks_first_of_equal_names(self):
        rows = [("ANNA", "annapw", 230, "OK"), ("ANNA", "secondpw", 530, "FAILED"),
                ("anna", "secondpw", 530, "FAILED"), ("anna", "ANNAPW", 530, "FAILED"),
                ("ghost", "x", 530, "FAILED"),
                # TABs in a name must not forge the fields of a successful login.
                ("x\t10.9.8.7\tLogin  \tOK", "y", 530, "FAILED")]
        for user, password, code, detail in rows:
            with self.subTest(user=user, password=password):
                mark = self.mark()
                ftp = self.host.ftp()
                self.assertEqual(s.reply_code(ftp.login, user, password), code)
                ftp.close()
                self.assertEqual(self.since(mark), [("Login  ", detail)])
                self.assertEqual(self.install.log_lines()[mark][1:3],
                                 [user.replace("\t", " "), "127.0.0.1"])

    def test_users_file_that_cannot_be_read_lets_nobody_in(self):
        users = os.path.join(self.install.app_dir, "Users.xml")
        # Damaged while the server runs (written whole, as a rename would), then no file to read.
        rows = [("damaged", lambda: self.write(users + ".new", b"<Vardex><Users><User Name=")),
                ("unreadable", lambda: os.mkfifo(users + ".new"))]
        try:
            for name, make in rows:
                with self.subTest(name):
                    make()
                    os.replace(users + ".new", users)
                    mark = self.mark()
                    ftp = self.host.ftp()
                    for _ in range(3):
                        started = time.monotonic()
                        with self.assertRaises(ftplib.error_perm) as caught:
                            ftp.login("Anna", "annapw")
                        reply = str(caught.exception)
                        self.assertTrue(reply.startswith("503 "), reply)
                        self.assertIn('"Users.xml"', reply)
                        self.assertNotIn(self.install.root, reply)
                        self.assertGreaterEqual(time.monotonic() - started, 0.9)
                    # The third refusal closes the connection, as for wrong passwords.
                    with self.assertRaises(ftplib.error_temp) as caught:
                        ftp.getresp()
                    self.assertTrue(str(caught.exception).startswith("421 "))
                    ftp.close()
                    self.assertEqual(self.since(mark), [("Login  ", "FAILED")] * 3)
                    self.install.write_users(USERS)
                    self.host.ftp("Anna", "annapw").quit()
        finally:
            self.install.write_users(USERS)

    # ---- The non-administrator's root and refusals ---------------------------------------

    def test_non_admin_at_root(self):
        ftp = self.host.ftp("anna", "annapw")
        mark = self.mark()
        self.assertEqual(ftp.nlst("/"), [])
        lines = []
        ftp.retrlines("LIST /", lines.append)
        self.assertEqual(lines, [])
        self.assertEqual(self.since(mark), [("Dirlist", "/"), ("Dirlist", "/")])

        mark = self.mark()
        with self.assertRaises(ftplib.error_perm) as refused:
            ftp.cwd("/")
        self.assertEqual(str(refused.exception), "550 Directory / not found")
        self.assertEqual(ftp.pwd(), "/")
        self.assertEqual(self.since(mark), [("Error  ", "Directory / not found")])
        ftp.cwd(UPLOAD)
        self.assertEqual(ftp.pwd(), UPLOAD)
        ftp.quit()

    def test_refused_store_creates_and_logs_nothing(self):
        rows = [("nobody", "nopw", UPLOAD + "/n.txt"), ("anna", "annapw", "/VdxTxtServer/log/x.log"),
                ("anna", "annapw", "/VdxInfo/transfer/a.txt"), ("info", "infopw", UPLOAD + "/i.txt")]
        for user, password, path in rows:
            with self.subTest(user=user, path=path):
                ftp = self.host.ftp(user, password)
                mark = self.mark()
                with self.assertRaises(ftplib.error_perm) as refused:
                    ftp.storbinary("STOR " + path, io.BytesIO(b"data"))
                self.assertEqual(str(refused.exception), LOCAL_ERROR)
                with self.assertRaises(ftplib.error_perm):
                    ftp.storbinary("APPE " + path, io.BytesIO(b"data"))
                ftp.quit()
                self.assertFalse(os.path.exists(self.install.path(path)))
                self.assertEqual(self.since(mark), [])

    def test_store_and_append(self):
        ftp = self.host.ftp("admin", "adminpw")
        mark = self.mark()
        ftp.storbinary("STOR /app.bin", io.BytesIO(b"one"))
        ftp.storbinary("APPE /app.bin", io.BytesIO(b"two"))
        self.assertEqual(self.read(self.admin("app.bin")), b"onetwo")
        with self.assertRaises(ftplib.error_perm) as missing:
            ftp.storbinary("APPE /never.bin", io.BytesIO(b"x"))
        self.assertIn("Cannot open file", str(missing.exception))
        self.assertFalse(os.path.exists(self.admin("never.bin")))
        got = []
        ftp.retrbinary("RETR /app.bin", got.append)
        self.assertEqual(b"".join(got), b"onetwo")
        # REST then STOR resumes: what lies before the offset stays, the rest is replaced.
        ftp.storbinary("STOR /app.bin", io.BytesIO(b"TWO!"), rest=3)
        self.assertEqual(self.read(self.admin("app.bin")), b"oneTWO!")
        with self.assertRaises(ftplib.error_perm):
            ftp.storbinary("STOR /never.bin", io.BytesIO(b"x"), rest=3)
        self.assertFalse(os.path.exists(self.admin("never.bin")))
        ftp.quit()
        self.assertEqual(self.since(mark), [("Write  ", "/app.bin"), ("Write  ", "/app.bin"),
                                            ("Read   ", "/app.bin"), ("Write  ", "/app.bin")])

    def test_store_keeps_the_file_until_its_data_connection_is_made(self):
        self.write(self.admin("kept.bin"), b"old content")
        ftp = self.host.ftp("admin", "adminpw")
        ftp.voidcmd("TYPE I")
        with socket.socket() as probe:  # a port nobody listens on
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        ftp.sendport("127.0.0.1", port)
        self.assertEqual(ftp.sendcmd("STOR /kept.bin")[:3], "150")
        self.assertEqual(s.reply_code(ftp.getresp), 425)
        self.assertEqual(self.read(self.admin("kept.bin")), b"old content")
        # Once data arrives it replaces the file whole, however short.
        ftp.storbinary("STOR /kept.bin", io.BytesIO(b"new"))
        self.assertEqual(self.read(self.admin("kept.bin")), b"new")
        ftp.quit()

    # ---- Folders and deletes ---------------------------------------------------------------

    def test_make_directory(self):
        ftp = self.host.ftp("anna", "annapw")
        mark = self.mark()
        self.assertTrue(ftp.sendcmd(f"MKD {UPLOAD}/newdir").startswith("257"))
        ftp.quit()
        self.assertFalse(os.path.exists(self.install.path(UPLOAD + "/newdir")))
        self.assertEqual(self.since(mark), [])

        ftp = self.host.ftp("admin", "adminpw")
        mark = self.mark()
        self.assertTrue(ftp.sendcmd("MKD /a/b/c").startswith("257"))
        ftp.quit()
        self.assertTrue(os.path.isdir(self.admin("a/b/c")))
        self.assertEqual(self.since(mark), [("MkDir  ", "/a/b/c")])

    def test_remove_directory(self):
        self.write(self.admin("full/file.txt"))
        os.makedirs(self.admin("empty"))
        ftp = self.host.ftp("admin", "adminpw")
        mark = self.mark()
        self.assertTrue(ftp.sendcmd("RMD /full").startswith("250"))
        self.assertTrue(ftp.sendcmd("RMD /empty").startswith("250"))
        ftp.quit()
        self.assertTrue(os.path.isdir(self.admin("full")))
        self.assertFalse(os.path.exists(self.admin("empty")))
        self.assertEqual(self.since(mark), [("Error  ", "Unable to remove directory /full"),
                                            ("RmDir  ", "/empty")])

    def test_delete(self):
        self.write(self.install.path(UPLOAD + "/gone.txt"))
        self.write(self.install.path(UPLOAD + "/stays.txt"))
        rows = [("anna", "annapw", UPLOAD + "/missing.txt", [("Delete ", UPLOAD + "/missing.txt")]),
                ("anna", "annapw", UPLOAD + "/gone.txt", [("Delete ", UPLOAD + "/gone.txt")]),
                ("nobody", "nopw", UPLOAD + "/stays.txt", []),
                ("admin", "adminpw", "/tab\there.txt", [("Delete ", "/tab here.txt")])]
        for user, password, path, logged in rows:
            with self.subTest(user=user, path=path):
                ftp = self.host.ftp(user, password)
                mark = self.mark()
                self.assertTrue(ftp.delete(path).startswith("250"))
                ftp.quit()
                self.assertEqual(self.since(mark), logged)
        self.assertFalse(os.path.exists(self.install.path(UPLOAD + "/gone.txt")))
        self.assertTrue(os.path.exists(self.install.path(UPLOAD + "/stays.txt")))

    def test_combine(self):
        self.write(self.admin("part1"), b"first;")
        self.write(self.admin("part2"), b"second")
        ftp = self.host.ftp("admin", "adminpw")
        mark = self.mark()
        self.assertEqual(ftp.sendcmd("COMB /whole.txt /part1 /part2"), "250 File Operation Successful")
        ftp.quit()
        self.assertEqual(self.read(self.admin("whole.txt")), b"first;second")
        self.assertFalse(os.path.exists(self.admin("part1")) or os.path.exists(self.admin("part2")))
        self.assertEqual(self.since(mark), [("Delete ", "/part1"), ("Delete ", "/part2")])

    # ---- Listings, sizes and times ---------------------------------------------------------

    def test_list_blocks_and_permissions(self):
        for name, size in [("b1025", 1025), ("b1024", 1024), ("b0", 0), ("ro", 10)]:
            self.write(self.admin("blocks/" + name), b"z" * size)
        os.chmod(self.admin("blocks/ro"), 0o444)
        os.makedirs(self.admin("blocks/sub"))
        ftp = self.host.ftp("admin", "adminpw")
        lines = []
        ftp.retrlines("LIST -s /blocks", lines.append)
        ftp.quit()
        entries = {}
        for line in lines:
            m = re.match(r"^\s*(\d+) ([d-][rwx-]{9})\s+1 owner\s+group\s+(\d+) .* (\S+)$", line)
            self.assertIsNotNone(m, line)
            entries[m.group(4)] = (int(m.group(1)), m.group(2), int(m.group(3)))
        self.assertEqual(entries["b1025"], (2, "-rw-rw-rw-", 1025))
        self.assertEqual(entries["b1024"], (1, "-rw-rw-rw-", 1024))
        self.assertEqual(entries["b0"], (0, "-rw-rw-rw-", 0))
        self.assertEqual(entries["ro"], (1, "-r--r--r--", 10))
        self.assertEqual(entries["sub"][1], "drwxrwxrwx")
        self.assertIn(".", entries)
        self.assertIn("..", entries)

    def test_listing_clamps_times_outside_dos_range(self):
        self.write(self.admin("times/old.txt"))
        self.write(self.admin("times/future.txt"))
        os.utime(self.admin("times/old.txt"), (utc(1970, 1, 2), utc(1970, 1, 2)))
        os.utime(self.admin("times/future.txt"), (utc(2200, 1, 1), utc(2200, 1, 1)))
        ftp = self.host.ftp("admin", "adminpw")
        lines = []
        ftp.retrlines("LIST /times", lines.append)
        self.assertTrue(any(line.endswith(" Jan  1  1980 old.txt") for line in lines), lines)
        facts = dict(ftp.mlsd("/times"))
        self.assertEqual(facts["old.txt"]["modify"], "19800101000000")
        self.assertEqual(facts["future.txt"]["modify"], "21071231235958")
        self.assertIn("modify=21071231235958;", ftp.sendcmd("MLST /times/future.txt"))
        self.assertEqual(ftp.sendcmd("MDTM /times/old.txt"), "213 19800101000000")
        ftp.quit()

    def test_size(self):
        with open(self.admin("sparse.bin"), "wb") as f:
            f.truncate(5 * 2**30)
        os.makedirs(self.admin("folder"), exist_ok=True)
        ftp = self.host.ftp("admin", "adminpw")
        self.assertEqual(ftp.sendcmd("SIZE /sparse.bin"), "213 5368709120")
        # A download in progress holds the file exclusively; its size is still its size.
        reader = self.host.ftp("admin", "adminpw")
        reader.voidcmd("TYPE I")
        data = reader.transfercmd("RETR /sparse.bin")
        data.recv(1024)
        self.assertEqual(ftp.sendcmd("SIZE /sparse.bin"), "213 5368709120")
        data.close()
        reader.close()
        for path in ["/missing.bin", "/folder"]:
            with self.subTest(path=path), self.assertRaises(ftplib.error_perm) as missing:
                ftp.sendcmd("SIZE " + path)
            self.assertEqual(str(missing.exception), LOCAL_ERROR)
        ftp.quit()

    def test_mfmt_stores_even_second(self):
        self.write(self.admin("mfmt.txt"))
        ftp = self.host.ftp("admin", "adminpw")
        self.assertEqual(ftp.sendcmd("MFMT 20230405060709 /mfmt.txt"),
                         "213 Modify=20230405060708; /mfmt.txt")
        self.assertEqual(os.stat(self.admin("mfmt.txt")).st_mtime, utc(2023, 4, 5, 6, 7, 8))
        self.assertEqual(ftp.sendcmd("MDTM /mfmt.txt"), "213 20230405060708")
        self.assertEqual(ftp.sendcmd("MDTM 20200102030405 /mfmt.txt"), "253 Date/time changed okay.")
        self.assertEqual(ftp.sendcmd("MDTM /mfmt.txt"), "213 20200102030404")
        with self.assertRaises(ftplib.error_perm) as outside:
            ftp.sendcmd("MFMT 19700101000000 /mfmt.txt")
        self.assertTrue(str(outside.exception).startswith("501"), str(outside.exception))
        with self.assertRaises(ftplib.error_perm) as missing:
            ftp.sendcmd("MFMT 20230405060709 /nothing.txt")
        self.assertTrue(str(missing.exception).startswith("550"), str(missing.exception))
        ftp.quit()
        self.assertEqual(os.stat(self.admin("mfmt.txt")).st_mtime, utc(2020, 1, 2, 3, 4, 4))

    def test_site_utime_access_time_only(self):
        path = self.admin("utime.txt")
        self.write(path)
        os.utime(path, (utc(2001, 1, 1), utc(2002, 2, 2)))
        ftp = self.host.ftp("admin", "adminpw")
        reply = ftp.sendcmd("SITE UTIME /utime.txt 20100304050607 0 0 UTC")
        self.assertTrue(reply.startswith("200"), reply)
        ftp.quit()
        st = os.stat(path)
        self.assertEqual(st.st_atime, utc(2010, 3, 4, 5, 6, 6))
        self.assertEqual(st.st_mtime, utc(2002, 2, 2))

    def test_mfct_changes_nothing(self):
        path = self.admin("mfct.txt")
        self.write(path)
        before = os.stat(path)
        ftp = self.host.ftp("admin", "adminpw")
        reply = ftp.sendcmd("MFCT 20000101000000 /mfct.txt")
        ftp.quit()
        self.assertRegex(reply, r"^213 Create=\d{14}; /mfct.txt$")
        self.assertNotEqual(reply, "213 Create=20000101000000; /mfct.txt")
        self.assertEqual(os.stat(path).st_mtime, before.st_mtime)

    def test_read_only_attribute_locks_files_but_not_folders(self):
        folder = self.install.path(UPLOAD + "/locked")
        self.write(folder + "/f.txt")
        ftp = self.host.ftp("anna", "annapw")
        self.assertEqual(ftp.sendcmd(f"SITE ATTRIB +R {UPLOAD}/locked/f.txt"),
                         "200 Attributes now 0x00000021 (RA).")
        # A folder without write bits would take no more uploads from anybody.
        self.assertEqual(ftp.sendcmd(f"SITE ATTRIB +R {UPLOAD}/locked"),
                         "200 Attributes now 0x00000010 ().")
        ftp.storbinary(f"STOR {UPLOAD}/locked/new.txt", io.BytesIO(b"new"))
        ftp.quit()
        self.assertEqual(os.stat(folder + "/f.txt").st_mode & 0o222, 0)
        self.assertTrue(os.stat(folder).st_mode & 0o200)
        self.assertEqual(self.read(folder + "/new.txt"), b"new")

    # ---- Status --------------------------------------------------------------------------

    def test_stat(self):
        rows = [("127.0.0.1", {"localhost", "127.0.0.1"}),
                # No name is known for this address: the numeric address, without waiting long.
                ("127.0.0.2", None)]
        for source, names in rows:
            with self.subTest(source=source):
                ftp = ftplib.FTP(timeout=s.TIMEOUT, source_address=(source, 0))
                ftp.connect("127.0.0.1", self.host.port)
                ftp.login("anna", "annapw")
                ftp.voidcmd("TYPE I")
                started = time.monotonic()
                reply = ftp.sendcmd("STAT")
                self.assertLess(time.monotonic() - started, 5)
                lines = reply.split("\n")
                self.assertEqual(lines[0].split(" ", 2)[:2], ["211-Connected", "to"])
                host = lines[0][len("211-Connected to "):]
                if names:
                    self.assertIn(host, names)
                else:
                    self.assertTrue(host == source or host, reply)
                self.assertEqual(lines[1:], [
                    "211-Logged in as anna",
                    "211-TYPE: BINARY, FORM: Nonprint; STRUcture: File; transfer MODE: STREAM",
                    "211-No Data Connection", "211 End of status"])
                ftp.quit()

    # ---- Exclusive opens and rights that follow the users file ------------------------------

    def test_upload_in_progress_is_exclusive(self):
        path = UPLOAD + "/busy.bin"
        writer = self.host.ftp("anna", "annapw")
        writer.voidcmd("TYPE I")
        data = writer.transfercmd("STOR " + path)
        data.sendall(b"a" * 65536)
        other = self.host.ftp("anna", "annapw")
        for command in ["RETR", "STOR", "APPE"]:
            with self.subTest(command=command), self.assertRaises(ftplib.error_perm) as busy:
                if command == "RETR":
                    other.retrbinary("RETR " + path, lambda b: None)
                else:
                    other.storbinary(f"{command} {path}", io.BytesIO(b"intruder"))
            self.assertIn("being used by another process", str(busy.exception))
        data.sendall(b"b" * 1000)
        data.close()
        writer.voidresp()
        got = []
        other.retrbinary("RETR " + path, got.append)
        self.assertEqual(b"".join(got), b"a" * 65536 + b"b" * 1000)
        writer.quit()
        other.quit()

    def test_rights_follow_users_file_at_next_login(self):
        ftp = self.host.ftp("anna", "annapw")
        try:
            self.install.write_users([u if u[0] != "Anna" else ("Anna", "annapw", "") for u in USERS])
            ftp.storbinary(f"STOR {UPLOAD}/still.txt", io.BytesIO(b"1"))
            self.host.ftp("nobody", "nopw").quit()  # anybody's login rereads the file
            with self.assertRaises(ftplib.error_perm):
                ftp.storbinary(f"STOR {UPLOAD}/refused.txt", io.BytesIO(b"2"))
        finally:
            self.install.write_users(USERS)
        ftp.quit()
        self.assertTrue(os.path.exists(self.install.path(UPLOAD + "/still.txt")))
        self.assertFalse(os.path.exists(self.install.path(UPLOAD + "/refused.txt")))


if __name__ == "__main__":
    s.main()
