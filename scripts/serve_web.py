"""Serves a built web page on 127.0.0.1 as a static host serves it: each file
with its type, and, where the browser accepts it, the compressed copy that the
build keeps beside it (NAME.br, else NAME.gz) with its Content-Encoding.
Python's own http.server sends every file as it is, uncompressed.

usage: serve_web.py PORT DIRECTORY (port 0: one that the system picks, named in
the first line it prints)
"""

import argparse
import functools
import http.server
import os


class PageHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        ".html": "text/html; charset=utf-8",
        ".js": "text/javascript",
        ".wasm": "application/wasm",
        ".png": "image/png",
        ".webmanifest": "application/manifest+json",
    }

    def accepted_encodings(self):
        accepted = set()
        for item in self.headers.get("Accept-Encoding", "").split(","):
            name, _, quality = item.partition(";")
            if quality.strip().replace(" ", "") not in ("q=0", "q=0.0", "q=0.00", "q=0.000"):
                accepted.add(name.strip().lower())
        return accepted

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path) and self.path.split("?")[0].endswith("/"):
            path = os.path.join(path, "index.html")
        accepted = self.accepted_encodings()
        for encoding, suffix in (("br", ".br"), ("gzip", ".gz")):
            if encoding in accepted and os.path.isfile(path + suffix):
                # The handler sends the file and closes it.
                body = open(path + suffix, "rb")
                self.send_response(200)
                self.send_header("Content-Type", self.guess_type(path))
                self.send_header("Content-Encoding", encoding)
                self.send_header("Content-Length", str(os.fstat(body.fileno()).st_size))
                self.send_header("Vary", "Accept-Encoding")
                self.end_headers()
                return body
        return super().send_head()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("port", type=int)
    parser.add_argument("directory")
    args = parser.parse_args()
    handler = functools.partial(PageHandler, directory=args.directory)
    with http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler) as server:
        print(f"Serving {args.directory} on http://127.0.0.1:{server.server_address[1]}/",
              flush=True)
        server.serve_forever()


if __name__ == "__main__":
    main()
