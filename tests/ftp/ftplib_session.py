#!/usr/bin/env python3
"""One ftplib session against the test server: login, listings, transfers, restarts, renames,
sizes and times. Usage: ftplib_session.py PORT USER PASSWORD SERVER_ROOT
Exits 0 when every check holds; prints the failed check otherwise."""

import ftplib
import io
import os
import re
import sys

port, user, password, root = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]


def check(condition, what):
    if not condition:
        print("FAILED:", what)
        sys.exit(1)


def disk(path):
    return os.path.join(root, path.lstrip("/"))


ftp = ftplib.FTP()
ftp.connect("127.0.0.1", port, timeout=10)
check(ftp.getwelcome() == "220 Indy FTP Server ready.", "greeting " + ftp.getwelcome())

try:
    ftp.login(user, "wrong")
    check(False, "wrong password accepted")
except ftplib.error_perm as e:
    check(str(e) == "530 Not logged in.", "refusal text " + str(e))

check(ftp.login(user, password) == "230 User logged in, proceed.", "login reply")
check(ftp.pwd() == "/", "pwd after login")

# Upload in binary, then listings of every kind.
payload = bytes(range(256)) * 4096 + b"tail"
ftp.storbinary("STOR data.bin", io.BytesIO(payload))
check(open(disk("data.bin"), "rb").read() == payload, "stored bytes")
check(ftp.size("data.bin") == len(payload), "SIZE")

ftp.mkd("sub")
check(os.path.isdir(disk("sub")), "MKD created the folder")
ftp.cwd("sub")
check(ftp.pwd() == "/sub", "CWD")
ftp.storbinary("STOR a.txt", io.BytesIO(b"line one\r\nline two\r\n"))
ftp.cwd("..")
check(ftp.pwd() == "/", "CWD ..")

lines = []
ftp.retrlines("LIST", lines.append)
ls = re.compile(r"^([d-])([r-][w-][x-]){3}\s+\d+\s+\S+\s+\S+\s+(\d+)\s+\w{3}\s+\d+\s+[\d:]+\s+(.+)$")
parsed = {m.group(4): m for m in (ls.match(line) for line in lines) if m}
check("data.bin" in parsed and parsed["data.bin"].group(3) == str(len(payload)), "LIST size " + repr(lines))
check("sub" in parsed and parsed["sub"].group(1) == "d", "LIST folder " + repr(lines))

check(sorted(ftp.nlst()) == ["data.bin", "sub"], "NLST " + repr(ftp.nlst()))

facts = dict(ftp.mlsd())
check(facts["data.bin"]["type"] == "file" and facts["data.bin"]["size"] == str(len(payload)),
      "MLSD file facts " + repr(facts.get("data.bin")))
check(facts["sub"]["type"] == "dir", "MLSD folder facts")
check("modify" in facts["data.bin"] and "create" in facts["data.bin"], "MLSD times")

# Text mode moves the bytes as they are (CRLF stays).
got = []
ftp.retrbinary("RETR sub/a.txt", got.append)
check(b"".join(got) == b"line one\r\nline two\r\n", "RETR in binary")
text = []
ftp.retrlines("RETR sub/a.txt", text.append)
check(text == ["line one", "line two"], "RETR in text mode " + repr(text))

# Download from a restart offset, and an upload resumed with REST + STOR.
got = []
ftp.retrbinary("RETR data.bin", got.append, rest=1000)
check(b"".join(got) == payload[1000:], "RETR with REST")
ftp.storbinary("STOR part.bin", io.BytesIO(payload[:5000]))
ftp.storbinary("STOR part.bin", io.BytesIO(payload[3000:]), rest=3000)
check(open(disk("part.bin"), "rb").read() == payload, "STOR with REST")

# Append.
ftp.storbinary("APPE sub/a.txt", io.BytesIO(b"line three\r\n"))
check(open(disk("sub/a.txt"), "rb").read() == b"line one\r\nline two\r\nline three\r\n", "APPE")

# Rename.
check(ftp.sendcmd("RNFR part.bin").startswith("350 Requested file action pending"), "RNFR reply")
check(ftp.sendcmd("RNTO renamed.bin").startswith("250"), "RNTO reply")
check(os.path.exists(disk("renamed.bin")) and not os.path.exists(disk("part.bin")), "renamed")

# Times: MFMT stores the even second at or below, MDTM reads it back.
reply = ftp.sendcmd("MFMT 20230405060709 renamed.bin")
check(reply == "213 Modify=20230405060708; renamed.bin", "MFMT reply " + reply)
check(ftp.sendcmd("MDTM renamed.bin") == "213 20230405060708", "MDTM query")
check(ftp.sendcmd("MDTM 20200102030405 renamed.bin") == "253 Date/time changed okay.", "MDTM set")
check(ftp.sendcmd("MDTM renamed.bin") == "213 20200102030404", "MDTM after set")

# Sizes of missing files, refused downloads, deletes.
try:
    ftp.size("missing.bin")
    check(False, "SIZE of a missing file")
except ftplib.error_perm as e:
    check(str(e) == "550 Requested action aborted: local error in processing.", "SIZE missing " + str(e))
try:
    ftp.retrbinary("RETR refused.bin", lambda b: None)
    check(False, "refused RETR")
except ftplib.error_perm as e:
    check(str(e).startswith("550 Requested action aborted"), "refused RETR " + str(e))

check(ftp.delete("renamed.bin").startswith("250 Requested file action okay"), "DELE reply")
check(not os.path.exists(disk("renamed.bin")), "deleted")
ftp.delete("sub/a.txt")
check(ftp.rmd("sub").startswith("250"), "RMD")
check(not os.path.exists(disk("sub")), "folder removed")

check(ftp.quit().startswith("221"), "QUIT")
print("OK")
