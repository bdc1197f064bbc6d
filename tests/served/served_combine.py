#!/usr/bin/env python3
"""COMB against other sessions and against the server's limits: a part is deleted only while it
is still the file that was copied, parts are opened one at a time, and a COMB that names a file
twice or names too many parts is refused."""

import ftplib
import io
import os
import random
import threading

import served_support as s

USERS = [("admin", "adminpw", "A")]
MAX_PARTS = 1000


class Combine(s.ServedCase):
    OUTER = "vdx-combine-"
    NOFILE = 64  # far fewer descriptors than parts

    @classmethod
    def prepare(cls):
        os.makedirs(cls.admin_root)
        cls.install.write_settings(AdminRootDir=cls.admin_root + "/")
        cls.install.write_users(USERS)

    def path(self, name):
        return os.path.join(self.admin_root, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def test_an_upload_acknowledged_meanwhile_is_never_deleted(self):
        # Session A combines p1 and a big p2; session B uploads p1 again while A copies p2.
        # Whatever B was told it stored is in p1 afterwards, or it was what A copied.
        big = os.urandom(1024) * (8 * 1024)
        combiner = self.host.ftp("admin", "adminpw")
        uploader = self.host.ftp("admin", "adminpw")
        generator = random.Random(25)
        left = 0
        for round_ in range(30):
            with self.subTest(round=round_):
                self.write("p1", b"old %d;" % round_)
                self.write("p2", big)
                if os.path.exists(self.path("t")):
                    os.remove(self.path("t"))
                replies = []
                comb = threading.Thread(
                    target=lambda: replies.append(s.reply_code(combiner.sendcmd,
                                                               "COMB /t /p1 /p2")))
                new = b"new %d;" % round_
                comb.start()
                threading.Event().wait(generator.uniform(0, 0.01))
                stored = s.reply_code(uploader.storbinary, "STOR /p1", io.BytesIO(new))
                comb.join()
                combined = s.read_bytes(self.path("t")) if os.path.exists(self.path("t")) else b""
                if stored == 226:
                    if os.path.exists(self.path("p1")):
                        self.assertEqual(s.read_bytes(self.path("p1")), new)
                        left += combined.startswith(b"old")
                    else:
                        self.assertEqual(combined, new + big, "the upload was deleted")
                if replies == [250]:
                    self.assertTrue(combined.endswith(big))
        combiner.quit()
        uploader.quit()

    def test_many_parts_one_at_a_time_and_no_file_twice(self):
        # Names of one or two characters, so that the most parts fit one command line.
        chars = "abcdefghijklmnopqrstuvwxyz0123456789"
        names = [a + b for a in chars for b in ["", *chars]][:MAX_PARTS]
        os.makedirs(self.path("many"))
        for name in names + ["zzz"]:
            with open(self.path("many/" + name), "wb") as f:
                f.write(name.encode() + b";")
        ftp = self.host.ftp("admin", "adminpw")
        ftp.cwd("/many")
        refused = [["whole", *names, "zzz"], ["whole", "a", "b", "a"], ["whole", "a", "b", "B"],
                   ["whole", "a", "/many/A"], ["a", "b", "a"], ["whole", "a", "a\\"]]
        for words in refused:
            with self.subTest(line=" ".join(words)[:60]):
                with self.assertRaises(ftplib.error_perm) as e:
                    ftp.sendcmd("COMB " + " ".join(words))
                self.assertTrue(str(e.exception).startswith("501 "), str(e.exception))
                self.assertEqual(sorted(os.listdir(self.path("many"))), sorted(names + ["zzz"]))
        # As many parts as allowed, with the host's few descriptors.
        self.assertEqual(ftp.sendcmd("COMB whole " + " ".join(names)),
                         "250 File Operation Successful")
        ftp.quit()
        self.assertEqual(s.read_bytes(self.path("many/whole")),
                         b"".join(name.encode() + b";" for name in names))
        self.assertEqual(sorted(os.listdir(self.path("many"))), ["whole", "zzz"])


if __name__ == "__main__":
    s.main()
