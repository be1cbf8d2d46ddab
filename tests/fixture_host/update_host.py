#!/usr/bin/env python3
"""A stand-in for the Borelu update host, for tests: HTTPS on port 443, standard library only.

Serves the files under --root laid out as the real host ("/updates/latest.json",
"/releases/<version>/<name>"). Before each request it reads --root/rules.json (when present),
a JSON object keyed by request path whose values change the answer:

  {"status": 404}                     answer with that status and no body
  {"status": 302, "location": "/x"}   a redirect (any status with a Location header)
  {"extra": 1}                        send the file followed by that many more bytes
  {"short": 1}                        leave that many bytes off the end
  {"corrupt": 100}                    send the file with the byte at that offset changed
  {"stall_after": 100, "stall_seconds": 200}   pause after that many body bytes
  {"delay_seconds": 200}              pause before answering at all (before the status line)

Every request is appended to --log as one JSON line: method, path, and all request headers.

With --timestamp-authority DIR it is also an RFC 3161 time-stamp authority for code signing:
a POST of a time-stamp query (application/timestamp-query) to "/timestamp" is answered with the
reply that "openssl ts -reply" makes, signed with DIR/tsa.pem and DIR/tsa.key. Time-stamp
authorities are usually reached over plain HTTP: --plain serves HTTP without TLS. --port 0 takes
a free port, printed on the first line of output.
"""

import argparse
import http.server
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import time

TSA_CONFIG = """
[ tsa ]
default_tsa = borelu_test_tsa
[ borelu_test_tsa ]
serial = {dir}/tsa-serial
crypto_device = builtin
signer_cert = {dir}/tsa.pem
certs = {dir}/tsa-chain.pem
signer_key = {dir}/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.57264.1.1
digests = sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


def timestamp_reply(authority, query):
    """The RFC 3161 reply to a time-stamp query, made by openssl ts."""
    with tempfile.TemporaryDirectory() as work:
        config = os.path.join(work, "tsa.cnf")
        with open(config, "w", encoding="utf-8") as f:
            f.write(TSA_CONFIG.format(dir=authority))
        serial = os.path.join(authority, "tsa-serial")
        if not os.path.exists(serial):
            with open(serial, "w", encoding="utf-8") as f:
                f.write("01\n")
        query_file = os.path.join(work, "query.tsq")
        with open(query_file, "wb") as f:
            f.write(query)
        reply_file = os.path.join(work, "reply.tsr")
        subprocess.run(["openssl", "ts", "-reply", "-config", config, "-queryfile", query_file,
                        "-out", reply_file], check=True, capture_output=True)
        with open(reply_file, "rb") as f:
            return f.read()


def make_handler(root, log_path, authority=None):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, fmt, *args):  # the JSON log below replaces the default one
            pass

        def record(self):
            entry = {"method": self.command, "path": self.path, "headers": dict(self.headers.items())}
            with open(log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps(entry) + "\n")

        def rules(self):
            try:
                with open(os.path.join(root, "rules.json"), encoding="utf-8") as f:
                    return json.load(f).get(self.path, {})
            except (OSError, ValueError):
                return {}

        def do_POST(self):
            self.record()
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            if authority is None or self.path != "/timestamp":
                self.send_response(404)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            try:
                reply = timestamp_reply(authority, body)
            except subprocess.CalledProcessError:
                self.send_response(400)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def do_GET(self):
            self.record()
            rule = self.rules()
            if "delay_seconds" in rule:
                time.sleep(rule["delay_seconds"])
            if "status" in rule:
                self.send_response(rule["status"])
                if "location" in rule:
                    self.send_header("Location", rule["location"])
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            local = os.path.normpath(os.path.join(root, self.path.lstrip("/")))
            if not local.startswith(os.path.abspath(root) + os.sep) or not os.path.isfile(local):
                self.send_response(404)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            with open(local, "rb") as f:
                body = f.read()
            body += b"\0" * rule.get("extra", 0)
            if rule.get("short"):
                body = body[: -rule["short"]]
            if "corrupt" in rule:
                at = rule["corrupt"]
                body = body[:at] + bytes([body[at] ^ 0xFF]) + body[at + 1:]
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            stall_after = rule.get("stall_after")
            if stall_after is not None:
                self.wfile.write(body[:stall_after])
                self.wfile.flush()
                time.sleep(rule.get("stall_seconds", 0))
                body = body[stall_after:]
            self.wfile.write(body)

    return Handler


class DualStackServer(http.server.ThreadingHTTPServer):
    address_family = socket.AF_INET6
    daemon_threads = True

    def server_bind(self):
        self.socket.setsockopt(socket.IPPROTO_IPV6, socket.IPV6_V6ONLY, 0)
        super().server_bind()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=443)
    parser.add_argument("--plain", action="store_true")
    parser.add_argument("--timestamp-authority")
    args = parser.parse_args()
    if not args.plain and not (args.cert and args.key):
        parser.error("--cert and --key are required unless --plain")

    authority = os.path.abspath(args.timestamp_authority) if args.timestamp_authority else None
    server = DualStackServer(("::", args.port),
                             make_handler(os.path.abspath(args.root), args.log, authority))
    if not args.plain:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.socket.getsockname()[1]
    print(f"update host serving {args.root} on port {port}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
