#!/usr/bin/python3
"""The web and FTP servers of the test run, all on 127.0.0.1, serving one folder:
  port      HTTP (python's http.server), and /cut/NAME: the file's first half under the whole
            file's Content-Length, then the connection closes (a transfer that breaks off)
  port + 1  FTP, user yvex / password yvex, reading and writing
  port + 2  FTP as above that refuses active mode (PORT and EPRT answer 500)
Runs until killed."""
import functools
import http.server
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path.startswith("/cut/"):
            path = self.translate_path(self.path[4:])
            try:
                data = open(path, "rb").read()
            except OSError:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        super().do_GET()


class NoActiveHandler(FTPHandler):
    def ftp_PORT(self, line):
        self.respond("500 Active mode is not served here.")

    def ftp_EPRT(self, line):
        self.respond("500 Active mode is not served here.")


def ftp_server(port, root, handler_class):
    authorizer = DummyAuthorizer()
    authorizer.add_user("yvex", "yvex", root, perm="elradfmwMT")
    handler = type("H", (handler_class,), {})
    handler.authorizer = authorizer
    handler.banner = "YVEX test server"
    server = FTPServer(("127.0.0.1", port), handler, ioloop=IOLoop())
    return server


def main():
    port, root = int(sys.argv[1]), sys.argv[2]
    os.makedirs(root, exist_ok=True)
    web = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(Handler, directory=root))
    ftp = ftp_server(port + 1, root, FTPHandler)
    passive = ftp_server(port + 2, root, NoActiveHandler)
    threading.Thread(target=ftp.serve_forever, kwargs={"handle_exit": False}, daemon=True).start()
    threading.Thread(target=passive.serve_forever, kwargs={"handle_exit": False}, daemon=True).start()
    print("ready", flush=True)
    web.serve_forever()


if __name__ == "__main__":
    main()
