#!/usr/bin/env python3
"""A local stand-in for the Hugging Face hub, on 127.0.0.1 only.

    test-hub.py ROOT PORT_FILE

ROOT/owner/name/ holds a repository's files. The hub answers the hub's own
paths and headers: the file list (/api/models/{repo}/revision/{rev}?blobs=true),
small files from /{repo}/resolve/{commit}/{path}, and for .safetensors files a
302 to a second port, the storage host, which serves them with ranges.
A file in the repository changes its behaviour:
  .gated              401 with X-Error-Code: GatedRepo
  .cut-once           the storage host cuts each file's first transfer half-way
  .cut-random         ... at a random point instead
  .rate-limit-once    the first file list answers 429 with RateLimit t=1
Unknown repositories answer 401 RepoNotFound. PORT_FILE gets "HUB STORAGE";
ROOT/requests.log a line per request: its answer, path and Range header, and
for the storage host's answers the bytes it sent.
It stops by itself after 20 minutes.
"""
import hashlib
import http.server
import json
import os
import random
import sys
import threading
import urllib.parse

ROOT, PORT_FILE = sys.argv[1], sys.argv[2]
COMMIT = "0123456789abcdef0123456789abcdef01234567"
cut_done = set()
rate_limited = set()
lock = threading.Lock()


def repo_dir(owner, name):
    path = os.path.join(ROOT, owner, name)
    return path if os.path.isdir(path) else None


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def stored_apart(name):
    return name.endswith(".safetensors")


class Hub(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_response(self, status, message=None):
        with lock, open(os.path.join(ROOT, "requests.log"), "a") as log:
            log.write("%d %s %s\n" % (status, self.path, self.headers.get("Range", "-")))
        super().send_response(status, message)

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for key, value in headers:
            self.send_header(key, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def refuse(self, code):
        self.answer(401, b'{"error":"' + code.encode() + b'"}', [("X-Error-Code", code)])

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        parts = [urllib.parse.unquote(p) for p in url.path.split("/")[1:]]
        if parts[:2] == ["api", "models"] and len(parts) >= 6 and parts[4] == "revision":
            return self.listing(parts[2], parts[3])
        if len(parts) >= 5 and parts[2] == "resolve":
            return self.resolve(parts[0], parts[1], "/".join(parts[4:]))
        self.answer(404)

    def listing(self, owner, name):
        folder = repo_dir(owner, name)
        if folder is None:
            return self.refuse("RepoNotFound")
        if os.path.exists(os.path.join(folder, ".gated")):
            return self.refuse("GatedRepo")
        with lock:
            first = (owner, name) not in rate_limited
            rate_limited.add((owner, name))
        if first and os.path.exists(os.path.join(folder, ".rate-limit-once")):
            return self.answer(429, b"", [("RateLimit", '"resolvers";r=0;t=1')])
        siblings = []
        for entry in sorted(os.listdir(folder)):
            path = os.path.join(folder, entry)
            if entry.startswith(".") or not os.path.isfile(path):
                continue
            sibling = {"rfilename": entry, "size": os.path.getsize(path)}
            if stored_apart(entry):
                sibling["lfs"] = {"sha256": sha256(path), "size": os.path.getsize(path), "pointerSize": 134}
            siblings.append(sibling)
        body = json.dumps({"id": owner + "/" + name, "sha": COMMIT, "siblings": siblings}).encode()
        self.answer(200, body, [("Content-Type", "application/json")])

    def resolve(self, owner, name, path):
        folder = repo_dir(owner, name)
        if folder is None:
            return self.refuse("RepoNotFound")
        file = os.path.join(folder, path)
        if not os.path.isfile(file):
            return self.answer(404, b"", [("X-Error-Code", "EntryNotFound")])
        if stored_apart(path):
            location = "http://127.0.0.1:%d/%s/%s/%s" % (STORAGE_PORT, owner, name, urllib.parse.quote(path))
            return self.answer(302, b"", [("Location", location), ("X-Repo-Commit", COMMIT)])
        with open(file, "rb") as f:
            self.answer(200, f.read(), [("X-Repo-Commit", COMMIT)])


class Storage(Hub):
    def do_GET(self):
        parts = [urllib.parse.unquote(p) for p in urllib.parse.urlsplit(self.path).path.split("/")[1:]]
        folder = repo_dir(parts[0], parts[1]) if len(parts) >= 3 else None
        file = os.path.join(folder, "/".join(parts[2:])) if folder else None
        if not file or not os.path.isfile(file):
            return self.answer(404)
        size = os.path.getsize(file)
        start = 0
        header = self.headers.get("Range", "")
        if header.startswith("bytes=") and header.endswith("-"):
            start = int(header[6:-1])
        if start >= size and size > 0:
            return self.answer(416, b"", [("Content-Range", "bytes */%d" % size)])
        status = 206 if start > 0 else 200
        self.send_response(status)
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        self.send_header("Content-Length", str(size - start))
        self.end_headers()
        send = size - start
        with lock:
            halfway = os.path.exists(os.path.join(folder, ".cut-once"))
            anywhere = os.path.exists(os.path.join(folder, ".cut-random"))
            cut = (halfway or anywhere) and file not in cut_done
            cut_done.add(file)
        if cut:
            send = (size - start) // 2 if halfway else random.randrange(1, size - start)
        with open(file, "rb") as f:
            f.seek(start)
            left = send
            while left > 0:
                block = f.read(min(left, 1 << 20))
                if not block:
                    break
                self.wfile.write(block)
                left -= len(block)
        with lock, open(os.path.join(ROOT, "requests.log"), "a") as log:
            log.write("sent %s %d\n" % (self.path, send - left))
        if cut:
            self.close_connection = True
            self.connection.shutdown(2)


hub = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Hub)
storage = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Storage)
STORAGE_PORT = storage.server_address[1]
for server in (hub, storage):
    threading.Thread(target=server.serve_forever, daemon=True).start()
with open(PORT_FILE + ".tmp", "w") as f:
    f.write("%d %d\n" % (hub.server_address[1], STORAGE_PORT))
os.replace(PORT_FILE + ".tmp", PORT_FILE)
threading.Event().wait(20 * 60)
