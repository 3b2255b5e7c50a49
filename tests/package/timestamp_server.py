#!/usr/bin/env python3
"""A loopback RFC 3161 timestamp server for the signing test: answers each
timestamp query POSTed to it with openssl's reply, signed by the test's own
timestamping certificate. Prints its URL, then serves until it is stopped.

Usage: timestamp_server.py CERTIFICATE KEY WORK_FOLDER
"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = """\
[tsa]
default_tsa = test_tsa
[test_tsa]
serial = {serial}
signer_digest = sha384
default_policy = 1.3.6.1.4.1.99999.1
digests = sha256, sha384
accuracy = secs:1
ess_cert_id_alg = sha256
"""


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__.strip().splitlines()[-1])
    certificate, key, work = sys.argv[1:]
    config = os.path.join(work, "tsa.cnf")
    serial = os.path.join(work, "tsa.serial")
    with open(config, "w") as out:
        out.write(CONFIG.format(serial=serial))
    with open(serial, "w") as out:
        out.write("01\n")

    class TimestampHandler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers["Content-Length"]))
            with tempfile.TemporaryDirectory(dir=work) as folder:
                query_file = os.path.join(folder, "query.tsq")
                reply_file = os.path.join(folder, "reply.tsr")
                with open(query_file, "wb") as out:
                    out.write(query)
                made = subprocess.run(
                    ["openssl", "ts", "-reply", "-config", config, "-queryfile", query_file,
                     "-signer", certificate, "-inkey", key, "-out", reply_file],
                    capture_output=True)
                if made.returncode != 0:
                    sys.stderr.write(made.stderr.decode(errors="replace"))
                    self.send_error(500)
                    return
                with open(reply_file, "rb") as reply:
                    body = reply.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *_):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), TimestampHandler)
    print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
