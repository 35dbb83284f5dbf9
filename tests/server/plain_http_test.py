#!/usr/bin/env python3
"""The local service as any HTTP client sees it, and quillory-cli logging in to it.

Usage: plain_http_test.py SERVER CLI
Prints 'N passed, N failed' and exits non-zero on a failure.
"""
import base64
import os
import re
import socket
import ssl
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request

SERVER, CLI = sys.argv[1], sys.argv[2]
MAIL, PASSWORD = "hanako@example.jp", "p&ss<word>"
FILE_ID = "0A1B2C3D-0000-4000-8000-0000000000AA"
results = {"passed": 0, "failed": 0}


def check(name, condition, detail=""):
    results["passed" if condition else "failed"] += 1
    if not condition:
        print(f"FAILED: {name} {detail}")


def xml_escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def post(port, body, path="/Halvern/app/", content_type="application/xml; charset=utf-8"):
    request = urllib.request.Request(f"http://127.0.0.1:{port}{path}", data=body,
                                     headers={"Content-Type": content_type}, method="POST")
    try:
        with urllib.request.urlopen(request, timeout=10) as answer:
            return answer.status, answer.headers.get("Content-Type", ""), answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.headers.get("Content-Type", ""), error.read()


def command(name, children="", password=PASSWORD):
    return (f'<?xml version="1.0" encoding="UTF-8"?><request command="{name}" version="1.0">'
            f"<mailaddress>{MAIL}</mailaddress><password>{xml_escape(password)}</password>{children}"
            "</request>").encode()


def result_of(body):
    match = re.search(rb'<response result="(-?\d+)"', body)
    return int(match.group(1)) if match else None


with tempfile.TemporaryDirectory() as data:
    added = subprocess.run([SERVER, "--data", data, "add-account", MAIL], input=PASSWORD + "\n",
                           capture_output=True, text=True, timeout=30)
    check("add-account", added.returncode == 0 and re.fullmatch(r"[0-9A-F]{8}\n", added.stdout), added.stderr)
    aid = added.stdout.strip()
    server = subprocess.Popen([SERVER, "--data", data, "--listen", "127.0.0.1:0", "--processing-ms", "0",
                               "--test-controls"], stdout=subprocess.PIPE, text=True)
    try:
        port = int(re.search(r":(\d+)/Halvern/", server.stdout.readline()).group(1))

        status, kind, body = post(port, command("CheckAccount"))
        check("CheckAccount", status == 200 and kind.startswith("text/xml") and f"<aid>{aid}</aid>".encode() in body, body)
        check("wrong password gives 102", result_of(post(port, command("CheckAccount", password="nope"))[2]) == 102)

        image = base64.b64encode(b"\x89PNG not really").decode()
        upload = f"<fileID>{FILE_ID}</fileID><binaryData>{image}</binaryData><dataType>image/png</dataType>"
        check("Upload", result_of(post(port, command("Upload", upload))[2]) == 0)
        check("second Upload gives 121", result_of(post(port, command("Upload", upload))[2]) == 121)
        body = post(port, command("GetFileList", "<statusFilter>rejected</statusFilter>"))[2]
        check("unreadable image is rejected", f"<fileID>{FILE_ID}</fileID><status>rejected</status>".encode() in body, body)

        hostile = {
            "malformed XML": b"<request command='CheckAccount'><mailaddress>",
            "external entity": b'<?xml version="1.0"?><!DOCTYPE r [<!ENTITY x SYSTEM "file:///etc/passwd">]>'
                               b'<request command="CheckAccount"><mailaddress>&x;</mailaddress></request>',
            "not UUID file identifier": command("Upload", f"<fileID>../../x</fileID><binaryData>{image}</binaryData>"),
            "Base64 that does not decode": command("Upload", "<fileID>0A1B2C3D-0000-4000-8000-0000000000AB</fileID>"
                                                             "<binaryData>!!!</binaryData>"),
        }
        for name, request in hostile.items():
            status, _, body = post(port, request)
            check(name, status == 200 and result_of(body) in (102, 131) and b"root:" not in body, body)
        check("unknown method gives 311", result_of(post(port, command("Teleport"))[2]) == 311)
        with socket.create_connection(("127.0.0.1", port), timeout=10) as connection:
            connection.sendall(b"POST /Halvern/app/ HTTP/1.1\r\nHost: x\r\nContent-Length: 68157440\r\n\r\n<request")
            answer = connection.recv(200)
        check("oversized body refused", answer.startswith(b"HTTP/1.1 413"), answer)
        check("no stray files", sorted(os.listdir(os.path.join(data, "images"))) == [FILE_ID + ".jpeg"])

        check("test control", post(port, b"status=503&count=1", "/Halvern/test/next",
                                   "application/x-www-form-urlencoded")[0] == 200)
        check("next answer is 503", post(port, command("CheckAccount"))[0] == 503)
        check("then normal again", result_of(post(port, command("CheckAccount"))[2]) == 0)

        status, _, body = post(port, f"mail=jiro%40example.jp&password=secret".encode(),
                               "/Halvern/meishi/regist_account.html", "application/x-www-form-urlencoded")
        check("account page", status == 200 and b"account identifier" in body, body)

        home = tempfile.mkdtemp()
        environment = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config", XDG_DATA_HOME=home + "/data")
        environment.pop("DBUS_SESSION_BUS_ADDRESS", None)
        subprocess.run([CLI, "config", "PelluxServerBaseUrl", f"http://127.0.0.1:{port}/Halvern/"], env=environment,
                       check=True, timeout=30)
        login = subprocess.run([CLI, "login", "--user", "jiro@example.jp"], input="secret\n", env=environment,
                               capture_output=True, text=True, timeout=60)
        check("quillory-cli login", login.returncode == 0 and "Logged in to PELLUX (account" in login.stdout,
              login.stdout + login.stderr)
        refused = subprocess.run([CLI, "login", "--user", "jiro@example.jp"], input="wrong\n", env=environment,
                                 capture_output=True, text=True, timeout=60)
        check("quillory-cli login refused", refused.returncode == 1 and "102" in refused.stderr, refused.stderr)
    finally:
        server.terminate()
        server.wait(timeout=10)

    # HTTPS with a certificate the server makes for itself.
    made = subprocess.run([SERVER, "--data", data, "make-certificate"], capture_output=True, text=True, timeout=60)
    check("make-certificate", made.returncode == 0, made.stderr)
    certificate, key = made.stdout.split()
    secure = subprocess.Popen([SERVER, "--data", data, "--listen", "127.0.0.1:0", "--tls-cert", certificate,
                               "--tls-key", key], stdout=subprocess.PIPE, text=True)
    try:
        line = secure.stdout.readline()
        port = int(re.search(r":(\d+)/Halvern/", line).group(1))
        check("https announced", line.startswith("Serving on https://"), line)
        context = ssl.create_default_context(cafile=certificate)
        request = urllib.request.Request(f"https://127.0.0.1:{port}/Halvern/app/", data=command("CheckAccount"),
                                         method="POST")
        with urllib.request.urlopen(request, timeout=10, context=context) as answer:
            check("CheckAccount over https", f"<aid>{aid}</aid>".encode() in answer.read())
    finally:
        secure.terminate()
        secure.wait(timeout=10)

print(f"{results['passed']} passed, {results['failed']} failed")
sys.exit(1 if results["failed"] else 0)
