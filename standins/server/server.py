#!/usr/bin/python3
"""Stand-in for the maker's server, for tests, benchmarks and local runs.

Plays the server's side of the protocol in docs/protocol.md on
127.0.0.1:80 and, over TLS, on 127.0.0.1:443 (as "localhost", with the
certificates of certificates.py): the session key exchange on "get-pk.aspx" and
"get-slide.aspx", and plain answers for the other pages. It records every
request with its headers in the order they came, logs one line per
request, and can be told to misbehave in each way the client must
survive. Written from the protocol, not from the client.

    server.py [--port N] [--tls-port N --certificates DIR] [--pid-file F] [--log F] [--lock-file F]
              [--version-text NAME=VALUE ...] [--set NAME=VALUE ...]

Control pages (never recorded):
    /_control/ping              "quillory-standin <pid>"
    /_control/reset             forget requests, sessions and settings
    /_control/set?NAME=VALUE&.. change settings (see SETTINGS)
    /_control/requests          the recorded requests (see Recorder.text)
    /_control/sessions          "<Q> <R> <I>" of every finished session
    /_control/codes             the session codes handed out (hex), one a line
    /_control/issued            "<hex> <kind> <entry>" of every code handed out, in order
    /_control/cleaned           the codes given back by Clean Up ("<hex>[ unknown]")
    /_control/slides            "<kind> <entry>" of every slide served
    /_control/held              "1" while a request is held, else "0"
    /_control/release           lets a held request go on
    /_control/tls               "<certificate> <requests>" of every TLS connection:
                                the certificate shown and the requests read on it
Test pages:
    /_test/bytes?count=N        a body of N bytes
    /_test/status?code=N        the HTTP status N with a short body
    /_test/echo                 the request body back (POST)
    /_test/stream?count=N       N bytes (GET or POST) in 64 KiB pieces, stream_delay_ms
                                apart, held (as by fault=hold) once stream_hold_at bytes
                                went out; /_control/streaming answers how many went out,
                                /_control/stream_end "running" while it runs, then
                                "complete" or "cut" (the client went away before the end)
"""

import argparse
import fcntl
import hashlib
import os
import re
import secrets
import signal
import socket
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import quillory_crypto as q  # noqa: E402
import adverts_page  # noqa: E402
import galleries  # noqa: E402

from cryptography.hazmat.primitives.asymmetric import rsa  # noqa: E402

# Settings and their defaults. "fault" names one misbehaviour and "at" the
# step it hits: "pk" (get-pk.aspx), "first" (the first get-slide.aspx
# request) or "round1" to "round3"; "galleries" (get-galleries.aspx) takes
# drop, slow and hold.
SETTINGS = {
    "key_bits": "1024",   # the server key's length
    "rounds": "1",        # the round count the first reply announces
    "fault": "",          # refuse, wrong_kind, xml_parse, xml_no_version, xml_no_session,
                          # xml_no_key, xml_bad_version, truncated, short_field,
                          # wrong_scramble_key, oversize, drop, slow, hold
    "at": "pk",
    "message": "The server does not serve this program now.",  # refuse
    "version": "2",       # xml_bad_version: the version text sent
    "delay_ms": "2000",   # slow
    # The slide POST on get-slide.aspx (at=slide): the gallery served, how
    # its entries are sent, and the reply's flag byte.
    "gallery": "",        # a folder of pictures; empty: the demo gallery
    "kind": "auto",       # auto (by extension), picture, media or document
    "flag": "128",        # the reply's flag byte: 0 or 128
    "advert_check": "",   # when set, the Content-Type the request must carry
    # get-am.aspx (adverts_page.py): the description of the advert documents
    # (JSON; empty: the default) and raw documents that replace them.
    "adverts": "",
    "menu_xml": "",
    "overlay_xml": "",
    "slide_xml": "",
    "stream_delay_ms": "5",  # /_test/stream: the pause between its 64 KiB pieces
    "stream_hold_at": "0",   # /_test/stream: hold the rest once this many bytes went out (0: never)
    # The certificate the TLS port shows (certificates.py): good, untrusted,
    # other_host or expired.
    "certificate": "good",
}
SETTINGS.update(galleries.SETTINGS)
# Faults of the slide POST (at=slide): wrong_framing (a field claims one byte
# more than the reply has), trailing_byte, bad_padding (the outer AES layer's
# padding is broken), short_field (the reply loses its last 3 bytes),
# prefix_overrun (the outer layer is shorter than the request number N),
# wrong_kind, message (a server message in place of a slide), bad_flag,
# empty_payload, no_address (a media item or document without its address),
# slow, hold, drop.

# The permutations of the version texts that rounds 0, 1 and 2 open the
# session secret with (docs/protocol.md).
ROUND_ORDERS = ((0, 1, 2, 3, 4, 5, 6, 7), (7, 6, 5, 4, 3, 2, 1, 0), (1, 0, 3, 2, 5, 4, 7, 6))
# Largest reply the client reads during the exchange; "oversize" passes it.
SESSION_REPLY_LIMIT = 1024 * 1024
DEMO_GALLERY = os.path.join(HERE, "..", "..", "resources", "window", "art")
PICTURE_EXTENSIONS = (".png", ".jpg", ".jpeg", ".gif", ".bmp")
MEDIA_EXTENSIONS = (".mp3", ".wav", ".wma", ".mp4", ".avi", ".wmv")
DOCUMENT_EXTENSIONS = (".htm", ".html", ".txt", ".rtf")
PROPERTIES_MARKER = "{777B6D94-4B2A-4680-B84A-F5DE4095E85C}"
SECOND_MARKER = "{1939262F-407E-4076-9543-FF9A0AEE4CFC}"
THIRD_MARKER = "{7413A384-90EC-4B07-95CD-F2EF2D1834FA}"
ITEM_SEPARATOR = "|KVP-separator:{254A6755-B4FC-47B4-AE04-E383B8AC4DB3}|"
CACHE_MAGIC = b"QSC1"
# The request headers of the slide POST, in the order the client sends them
# (the gallery pair only with a gallery; the session's V, R, I, Q after them).
SLIDE_HEADERS = ("Velmora-LV-Internet-Get-Slide-Version", "Velmora-LV-Client-PC-PK",
                 "Velmora-LV-Client-OS-Major-Version", "Velmora-LV-Client-OS-Minor-Version",
                 "Velmora-LV-Client-OS-Build-Number", "Velmora-LV-Client-OS-Platform-Id",
                 "Velmora-LV-Client-OS-Service-Pack-Major", "Velmora-LV-Client-OS-Service-Pack-Minor",
                 "Velmora-LV-Product-Name", "Velmora-LV-Product-Version", "Velmora-LV-UI-Language",
                 "Velmora-LV-Content-Type", "Velmora-LV-Item-Enumeration-Session-Start",
                 "Velmora-LV-Item-Enumeration-Forward-Level", "Velmora-LV-Item-Enumeration-Type")
PAGES = ("get-slide.aspx", "get-galleries.aspx", "get-cv.aspx", "get-ip.aspx", "get-am.aspx",
         "wnd-properties.css", "set-cd.aspx", "get-pk.aspx")
# The slide-properties window's style sheet: the classes of its page.
STYLE_SHEET = b"""body { font-family: Tahoma, sans-serif; margin: 8px; }
.css_body { cursor: default; }
.css_table { border-collapse: collapse; width: 100%; }
.css_cell_header { font-weight: bold; padding: 4px 6px; border-bottom: 1px solid #8894a8; }
.css_cell_data_head { white-space: nowrap; vertical-align: top; padding: 3px 6px; color: #44506a; }
.css_cell_data_content { vertical-align: top; padding: 3px 6px; }
.css_color_odd_row { background-color: #f4f6fa; }
.css_color_even_row { background-color: #e8ecf3; }
.css_span_like_link { color: #1a4fb0; text-decoration: underline; cursor: pointer; }
"""


def sha(name, *parts):
    return hashlib.new(name, b"".join(parts)).digest()


class Refusal(Exception):
    """The server says no: a kind 1 reply with this message."""


class Session:
    """What the server keeps of one exchange, by its session text."""

    def __init__(self, text, request_id, key):
        self.text = text
        self.request_id = request_id  # E of get-pk.aspx, as the client made it
        self.key = key
        self.client_blob = None
        self.rounds = 0
        self.round = 0
        self.fields = None
        self.state = None
        self.final = None  # (R, I) once every round is done

    def expected_id(self, step):
        """E of get-slide request number step (0: the first, 1: round 0, ...):
        reversed on the first, and reversed again on every later one."""
        return self.request_id[::-1] if step % 2 == 0 else self.request_id


class StandIn:
    def __init__(self, version_texts, initial):
        self.lock = threading.Lock()
        self.version_texts = version_texts
        self.stored_secret = q.protect_text(q.TEST_SESSION_SECRET, version_texts) if version_texts else None
        self.keys = {}
        self.initial = dict(initial)
        self.release = threading.Event()
        self.reset()

    def reset(self):
        with self.lock:
            self.settings = dict(SETTINGS)
            self.settings.update(self.initial)
            self.records = []
            self.sessions = {}
            self.held = False
            self.streamed = 0        # bytes of /_test/stream sent so far
            self.stream_end = "none"  # the last /_test/stream: "running", "complete", "cut"
            # A stream started before the reset counts no longer: its
            # connection may still be draining into the kernel's buffers.
            self.stream_round = getattr(self, "stream_round", 0) + 1
            self.caches = set()      # cache payloads handed out
            self.codes = set()       # session codes handed out (hex)
            self.issued = []         # "<hex> <kind> <entry>" of each code, in order
            self.cleaned = []        # session codes given back by Clean Up (hex)
            self.slides = []         # "<kind> <entry>" of every slide served
            self.reports = []        # the lines of every adverts report received
            self.tls = []            # [certificate, requests] of every TLS connection
            self.release.set()
            self.release = threading.Event()

    def setting(self, name):
        with self.lock:
            return self.settings[name]

    def fault_at(self, step):
        with self.lock:
            return self.settings["fault"] if self.settings["at"] == step else ""

    def server_key(self, bits):
        with self.lock:
            if bits not in self.keys:
                self.keys[bits] = rsa.generate_private_key(public_exponent=65537, key_size=bits)
            return self.keys[bits]

    def round_secret(self, round_index):
        if self.stored_secret is None:
            raise Refusal("The stand-in server was started without the version texts.")
        return q.open_text(self.stored_secret, self.version_texts, ROUND_ORDERS[round_index])


class Recorder:
    @staticmethod
    def text(records):
        """One block per request: "#<n> <method> <path> <body bytes>", then
        "<name>: <value>" per header in the order received, then a blank line."""
        lines = []
        for n, (method, path, headers, body) in enumerate(records):
            lines.append("#%d %s %s %d" % (n, method, path, body))
            lines += ["%s: %s" % item for item in headers]
            lines.append("")
        return "\n".join(lines) + "\n"


# ---- the session exchange ----------------------------------------------------------


def key_reply(standin, headers):
    """The "get-pk.aspx" document and the session it opens."""
    request_id = headers.get("E", "")
    key = standin.server_key(int(standin.setting("key_bits")))
    text = "S" + secrets.token_hex(16).upper()
    session = Session(text, request_id, key)
    with standin.lock:
        standin.sessions[text] = session
    fault = standin.fault_at("pk")
    version = standin.setting("version") if fault == "xml_bad_version" else "1"
    parts = {
        "version": "" if fault == "xml_no_version" else "<version>%s</version>" % version,
        "session": "" if fault == "xml_no_session" else "<session>%s</session>" % text,
        "key": "" if fault == "xml_no_key" else
        "<public_key>%s</public_key>" % q.public_key_blob(key.public_key()).hex().upper(),
    }
    document = '<?xml version="1.0" encoding="utf-8"?>\n<rsa_key>%(version)s%(session)s%(key)s</rsa_key>\n' % parts
    if fault == "xml_parse":
        document = document[:len(document) // 2]
    if fault == "oversize":
        document += "<!--%s-->" % ("x" * SESSION_REPLY_LIMIT)
    return document.encode("utf-8")


def framed(kind, payload=b""):
    return bytes([kind]) + payload


def encode_fields(fields):
    return b"".join(bytes([len(f)]) + f for f in fields)


def data_reply(session, fields, fault):
    plain = encode_fields(fields)
    if fault == "short_field":
        plain = plain[:-1]  # the last field claims one byte more than there is
    blocks = q.rsa_encrypt(q.load_public_key_blob(session.client_blob), plain, seed_blob=session.client_blob)
    reply = framed(2 if fault == "wrong_kind" else 0, blocks)
    if fault == "truncated":
        reply = reply[:-5]
    return reply


def first_slide_reply(standin, session, headers, fault):
    if headers.get("E", "") != session.expected_id(0):
        raise Refusal("The request id does not match the key request.")
    try:
        proof = q.rsa_decrypt(session.key, bytes.fromhex(headers.get("T", "")))
    except ValueError:
        raise Refusal("The proof cannot be read.")
    if proof != sha("sha512", session.request_id.encode("utf-8")):
        raise Refusal("The proof is wrong.")
    try:
        session.client_blob = bytes.fromhex(headers.get("K", ""))
        q.load_public_key_blob(session.client_blob)
    except (ValueError, IndexError):
        raise Refusal("The client key cannot be read.")
    session.rounds = int(standin.setting("rounds"))
    f = [secrets.token_bytes(32), secrets.token_bytes(16), bytes([session.rounds]) + secrets.token_bytes(3),
         secrets.token_bytes(16), secrets.token_bytes(32)]
    session.fields = f
    session.state = sha("sha384", f[0], f[1], f[3], f[4])
    if session.rounds == 0:
        finish(session)
    return data_reply(session, f, fault)


def round_values(session, r, secret):
    m, (_, nonce, _, session_id, salt) = session.state, session.fields
    rb = bytes([r])
    return {
        "K": sha("sha256", m, secret),
        "R": sha("md5", m, rb),
        "I": sha("sha1", session_id, rb),
        "T": sha("sha384", secret, nonce, rb),
        "F": sha("sha256", salt, rb, m),
    }


def round_reply(standin, session, headers, fault):
    r = session.round
    if session.fields is None or r >= min(session.rounds, len(ROUND_ORDERS)):
        raise Refusal("No round is due in this session.")
    if headers.get("E", "") != session.expected_id(r + 1):
        raise Refusal("The request id of round %d is not reversed as it should be." % (r + 1))
    expected = round_values(session, r, standin.round_secret(r))
    for name, value in expected.items():
        if headers.get(name, "") != value.hex().upper():
            raise Refusal("The value %s of round %d is wrong." % (name, r + 1))
    g = [secrets.token_bytes(16), secrets.token_bytes(24), secrets.token_bytes(32)]
    session.state = sha("sha384", session.state, *g)
    session.round += 1
    if session.round == session.rounds:
        finish(session)
    return data_reply(session, g, fault)


def finish(session):
    m, session_id = session.state, session.fields[3]
    session.final = (sha("md5", m, b"R").hex().upper(), sha("sha1", session_id, m).hex().upper())


def slide_exchange_reply(standin, headers):
    """Answers one get-slide.aspx request of the exchange: (step, reply)."""
    with standin.lock:
        session = standin.sessions.get(headers.get("Q", ""))
    if session is None:
        return "first", framed(1, "The session is unknown.".encode("utf-16-le"))
    step = "first" if session.client_blob is None else "round%d" % (session.round + 1)
    fault = standin.fault_at(step)
    try:
        if fault == "refuse":
            raise Refusal(standin.setting("message"))
        reply = (first_slide_reply if step == "first" else round_reply)(standin, session, headers, fault)
    except Refusal as refusal:
        reply = framed(1, str(refusal).encode("utf-16-le"))
    return step, reply


# ---- the slide request ---------------------------------------------------------------


def be32(n):
    return n.to_bytes(4, "big")


def gallery_entries(folder):
    try:
        names = sorted(os.listdir(folder))
    except OSError:
        return []
    return [os.path.join(folder, n) for n in names
            if n.lower().endswith(PICTURE_EXTENSIONS + MEDIA_EXTENSIONS + DOCUMENT_EXTENSIONS)]


def entry_kind(path, forced):
    if forced in ("picture", "media", "document"):
        return {"picture": 1, "media": 2, "document": 3}[forced]
    name = path.lower()
    return 2 if name.endswith(MEDIA_EXTENSIONS) else 3 if name.endswith(DOCUMENT_EXTENSIONS) else 1


def session_code_key():
    """The key the client protects session codes with on the wire
    (docs/protocol.md, "The session-code key")."""
    text = ("Quillory" + "QUILLORY" + "quillory").encode("utf-16-le") + b"\0\0"
    first = hashlib.sha512(text).digest()[::-1]
    return hashlib.sha512(first + hashlib.md5(text).digest()).digest()


def check_slide_headers(standin, headers):
    """Refuses (Refusal) a slide request whose headers break the protocol;
    answers the session, the client key blob and the request number N."""
    names = [name for name, _ in headers.items()]
    expected = list(SLIDE_HEADERS)
    if "Velmora-LV-Gallery-Name" in names:
        expected += ["Velmora-LV-Gallery-Name", "Velmora-LV-Gallery-Language"]
    expected += ["V", "R", "I", "Q"]
    ours = [n for n in names if n.startswith("Velmora-LV-") or n in ("V", "R", "I", "Q")]
    ours = [n for n in ours if n != "Velmora-LV-CDPAC-D329E58D-87BE-497F-AC5B-706BF6F5D999"]
    if ours != expected:
        raise Refusal("The request headers are not in order: %s" % ",".join(ours))
    get = headers.get
    if get("Velmora-LV-Internet-Get-Slide-Version") != "5" or get("V") != "1":
        raise Refusal("The request version is wrong.")
    if bytes.fromhex(get("Velmora-LV-Product-Name", "")).decode("utf-16-le") != "Quillory":
        raise Refusal("The product name is wrong.")
    if get("Velmora-LV-Content-Type") not in ("Advert", "Information"):
        raise Refusal("The content type is wrong.")
    wanted = standin.setting("advert_check")
    if wanted and get("Velmora-LV-Content-Type") != wanted:
        raise Refusal("The content type is not %s." % wanted)
    if get("Velmora-LV-Item-Enumeration-Session-Start") not in ("TRUE", "FALSE"):
        raise Refusal("The session start is wrong.")
    if get("Velmora-LV-Item-Enumeration-Type") not in ("ordered", "random"):
        raise Refusal("The enumeration type is wrong.")
    int(get("Velmora-LV-Item-Enumeration-Forward-Level", "x"))
    for name in SLIDE_HEADERS[2:8] + ("Velmora-LV-UI-Language",):
        if not get(name, "").isdigit():
            raise Refusal("The value of %s is not a number." % name)
    with standin.lock:
        session = standin.sessions.get(get("Q", ""))
    if session is None or session.final is None or (get("R"), get("I")) != session.final:
        raise Refusal("The session is unknown or unfinished.")
    key_text = get("Velmora-LV-Client-PC-PK", "")
    blob, digits = bytes.fromhex(key_text[:-6]), bytes.fromhex(key_text[-6:])
    if not digits.isdigit() or not 10 <= int(digits) <= 25:
        raise Refusal("The request number is wrong.")
    q.load_public_key_blob(blob)
    return session, blob, int(digits)


def read_slide_body(standin, body):
    """The cache contents A and the filter blob B of the body; the cache must
    be empty or one this server handed out."""
    if len(body) < 8:
        raise Refusal("The body is short.")
    a = int.from_bytes(body[0:4], "big")
    if 4 + a + 4 > len(body):
        raise Refusal("The cache length runs past the body.")
    cache = body[4:4 + a]
    b = int.from_bytes(body[4 + a:8 + a], "big")
    if 8 + a + b != len(body):
        raise Refusal("The filter length does not end the body.")
    with standin.lock:
        known = cache in standin.caches
    if cache and not known:
        raise Refusal("The cache is not one this server handed out.")
    return cache, body[8 + a:]


def slide_reply_plain(standin, headers, cache, fault, filter_block=b""):
    """The plaintext reply: a slide of the gallery that passes the filter
    block (or what the fault asks for)."""
    if fault == "message":
        return bytes([130]) + be32(len(standin.setting("message").encode("utf-16-le"))) + \
            standin.setting("message").encode("utf-16-le")
    folder = standin.setting("gallery") or DEMO_GALLERY
    entries = gallery_entries(folder)
    if not entries:
        text = "The gallery is empty.".encode("utf-16-le")
        return bytes([131]) + be32(len(text)) + text
    try:
        entries = galleries.filter_entries(entries, filter_block, galleries.language_of(headers))
    except galleries.FilterError as error:
        raise Refusal("The filter cannot be read: %s." % error)
    if not entries:
        text = "No slide matches the filter.".encode("utf-16-le")
        return bytes([132]) + be32(len(text)) + text
    ordered = headers.get("Velmora-LV-Item-Enumeration-Type") == "ordered"
    last = int.from_bytes(cache[4:8], "big") if cache[:4] == CACHE_MAGIC else -1
    level = int(headers.get("Velmora-LV-Item-Enumeration-Forward-Level", "1"))
    if level == -1 and 0 <= last < len(entries):
        # The program's start asks for the slide its cache names again.
        index = last
    else:
        if headers.get("Velmora-LV-Item-Enumeration-Session-Start") == "TRUE":
            last = -1
        index = (last + 1) % len(entries) if ordered else secrets.randbelow(len(entries))
    path = entries[index]
    with open(path, "rb") as entry_file:
        content = entry_file.read()
    kind = entry_kind(path, standin.setting("kind"))
    name = os.path.basename(path)
    properties = ITEM_SEPARATOR.join(["id=%d" % index, "title=%s" % name, "description=From the stand-in",
                                      "categories=demo", "border_window=frame", "border_picture=border",
                                      "associated_url=http://127.0.0.1/?slide=%d" % index,
                                      "creator=Stand-in", "editor=Tests", "approver=Nobody",
                                      # The content properties (name=flag=value; the flag marks a link).
                                      "Position=no=%d of %d" % (index + 1, len(entries)),
                                      "File size=no=%d bytes" % len(content),
                                      "Source=yes=http://127.0.0.1/?entry=%d" % index])
    # A media item or document is opened at its address here (the second
    # section); the third section, its text, stays empty.
    address = ""
    if kind in (2, 3) and fault != "no_address":
        address = "%s://%s%s%s" % (getattr(CONNECTION, "scheme", "http"), headers.get("Host") or "127.0.0.1",
                                   DOCUMENT_PATH, urllib.parse.quote(name))
    second = (PROPERTIES_MARKER + properties + PROPERTIES_MARKER + SECOND_MARKER + address +
              SECOND_MARKER + THIRD_MARKER + THIRD_MARKER).encode("utf-16-le")
    new_cache = CACHE_MAGIC + be32(index) + secrets.token_bytes(8)
    if fault == "empty_payload":
        new_cache = b""
    with standin.lock:
        standin.caches.add(new_cache)
        standin.slides.append("%d %s" % (kind, name))
    flag = 0x01 if fault == "bad_flag" else int(standin.setting("flag"))
    if kind == 1:
        fields = be32(len(content)) + content + be32(0)
    else:
        title = name.encode("utf-16-le")
        fields = be32(len(title)) + title + be32(len(content)) + content
    plain = bytes([5 if fault == "wrong_kind" else kind]) + fields + be32(len(second)) + second + bytes([flag])
    if fault == "wrong_framing":
        plain += be32(len(new_cache) + 1) + new_cache
    else:
        plain += be32(len(new_cache)) + new_cache
    return plain, kind


def wrap_slide_reply(plain, blob, n, fault):
    """The three layers: AES over the reply, its first 256 x N bytes
    RSA-encrypted for the client behind N bytes of prefix, AES over all."""
    cipher = q.AesCbc.from_secret(blob)
    inner = cipher.encrypt(plain)
    block = (q.load_public_key_blob(blob).key_size + 7) // 8
    head, tail = inner[:block * n], inner[block * n:]
    rsa_part = q.rsa_encrypt(q.load_public_key_blob(blob), head, seed_blob=blob)
    middle = secrets.token_bytes(n) + rsa_part + tail
    if fault == "prefix_overrun":
        middle = secrets.token_bytes(n - 1)
    outer = cipher.encrypt(middle)
    if fault == "bad_padding":
        # The last block decrypts to a pad byte of 0.
        last = cipher.decrypt(outer, strip=False)[:-1] + b"\0"
        outer = q.AesCbc(cipher.key, cipher.iv).encrypt(last)[:len(last)]
    return outer


def slide_post_reply(standin, headers, body):
    fault = standin.fault_at("slide")
    try:
        session, blob, n = check_slide_headers(standin, headers)
    except (Refusal, ValueError, IndexError) as refusal:
        return None, str(refusal)
    try:
        cache, filter_block = read_slide_body(standin, body)
        made = slide_reply_plain(standin, headers, cache, fault, filter_block)
    except Refusal as refusal:
        text = str(refusal).encode("utf-16-le")
        made = bytes([129]) + be32(len(text)) + text
    if isinstance(made, tuple):
        plain, kind = made
        if kind in (2, 3):
            code = secrets.token_bytes(16)
            with standin.lock:
                standin.codes.add(code.hex().upper())
                standin.issued.append("%s %s" % (code.hex().upper(), standin.slides[-1]))
            encrypted = q.rsa_encrypt(q.load_public_key_blob(blob), code, seed_blob=blob)
            plain += be32(len(encrypted)) + encrypted
    else:
        plain = made
    if fault == "trailing_byte":
        plain += b"\0"
    if fault == "short_field":
        plain = plain[:-3]
    return wrap_slide_reply(plain, blob, n, fault), None


def clean_up(standin, headers):
    """set-cd.aspx: a session code given back; recorded when it is one this
    server handed out."""
    if headers.get("Velmora-LV-DB-Task-Name") != "Clean Up" or headers.get("Velmora-LV-DB-Task-Version") != "1":
        return b"refused"
    try:
        code = q.AesCbc.from_secret(session_code_key()).decrypt(bytes.fromhex(headers.get("Velmora-LV-Auth-Code", "")))
    except ValueError:
        return b"refused"
    with standin.lock:
        known = code.hex().upper() in standin.codes
        standin.cleaned.append(code.hex().upper() + ("" if known else " unknown"))
    return b"ok" if known else b"unknown"


# ---- Release document and installer package -------------------------------------------

# get-cv.aspx answers the release document of the edition "Quillory" with
# these settings (at=cv for its faults); get-ip.aspx sends the installer
# package with its verdict and digests (at=ip).
RELEASE_SETTINGS = {
    "release_version": "0.0.0.0",  # the version the release document names
    "release_edition": "Quillory",
    "release_english": "What is new in this release.",
    "release_bulgarian": "",       # empty: no Bulgarian element
    "release_page": "www.example.com/quillory/release",  # Visit_Website_URL; "-": no element
    "package": "",                 # the package file served; empty: package_size or a small built-in body
    "package_size": "0",           # a body of this many bytes (i % 251) in place of the built-in one
    "chunk_delay_ms": "0",         # trickle: the pause between 4 KiB pieces of the package
}
SETTINGS.update(RELEASE_SETTINGS)
# Faults of get-cv.aspx (at=cv): xml_parse, no_release (another edition only),
# no_version, drop, slow, hold.
# Faults of get-ip.aspx (at=ip): wrong_sha, wrong_md5, no_sha, no_md5,
# no_status, status_error (ERROR with "message" as hexadecimal UTF-16LE),
# bad_status, lower_case (status and digests in lower case), twice (the SHA-1
# header twice),
# tamper (one byte of the body changed after the digests were taken),
# empty_package, cut (the connection ends in the middle of the body),
# no_length (no Content-Length), oversize_message (an ERROR body of 10001
# bytes), trickle (the body in pieces, chunk_delay_ms apart), drop, slow, hold.
STANDIN_PACKAGE = b"Quillory stand-in installer package\r\n" * 64
UPGRADE_STATUS = "Velmora-LV-Automatic-Upgrade-Result-Status"
UPGRADE_SHA = "Velmora-LV-Automatic-Upgrade-Download-Hash-Code-SHA"
UPGRADE_MD5 = "Velmora-LV-Automatic-Upgrade-Download-Hash-Code-MD5"


def xml_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def release_document(standin):
    """The body of get-cv.aspx: the release document, UTF-8 XML."""
    fault = standin.fault_at("cv")
    if fault == "xml_parse":
        return b"<?xml version=\"1.0\"?><Releases><Lumivane edition="
    edition = "Other" if fault == "no_release" else standin.setting("release_edition")
    version = "" if fault == "no_version" else ' version="%s"' % xml_text(standin.setting("release_version"))
    changes = "<English>%s</English>" % xml_text(standin.setting("release_english"))
    if standin.setting("release_bulgarian"):
        changes += "<Bulgarian>%s</Bulgarian>" % xml_text(standin.setting("release_bulgarian"))
    page = standin.setting("release_page")
    download = "" if page == "-" else "<Download><Visit_Website_URL>%s</Visit_Website_URL></Download>" % xml_text(page)
    return ('<?xml version="1.0" encoding="utf-8"?>\n<Releases><Lumivane edition="Older" version="999.0"/>'
            '<Lumivane edition="%s"%s><Changes>%s</Changes>%s</Lumivane></Releases>\n'
            % (xml_text(edition), version, changes, download)).encode("utf-8")


def installer_reply(standin):
    """get-ip.aspx: (headers, body, sent) where sent is how much of the body
    goes out before the connection ends (None: all of it)."""
    fault = standin.fault_at("ip")
    package = STANDIN_PACKAGE
    if standin.setting("package"):
        with open(standin.setting("package"), "rb") as f:
            package = f.read()
    elif int(standin.setting("package_size")) > 0:
        package = bytes(i % 251 for i in range(int(standin.setting("package_size"))))
    if fault == "empty_package":
        package = b""
    sha, md5 = hashlib.sha1(package).hexdigest().upper(), hashlib.md5(package).hexdigest().upper()
    status = "SUCCESS"
    if fault == "status_error":
        status = "ERROR"
        package = standin.setting("message").encode("utf-16-le").hex().upper().encode()
    elif fault == "oversize_message":
        status, package = "ERROR", b"00" * 5000 + b"0"
    elif fault == "bad_status":
        status = "REFUSED"
    if fault == "wrong_sha":
        sha = hashlib.sha1(b"another package").hexdigest().upper()
    if fault == "wrong_md5":
        md5 = hashlib.md5(b"another package").hexdigest().upper()
    if fault == "lower_case":
        status, sha, md5 = status.lower(), sha.lower(), md5.lower()
    if fault == "tamper" and package:
        package = bytes([package[0] ^ 1]) + package[1:]
    headers = []
    if fault != "no_status":
        headers.append((UPGRADE_STATUS, status))
    if fault != "no_sha":
        headers.append((UPGRADE_SHA, sha))
        if fault == "twice":
            headers.append((UPGRADE_SHA, hashlib.sha1(b"another package").hexdigest().upper()))
    if fault != "no_md5":
        headers.append((UPGRADE_MD5, md5))
    return headers, package, (len(package) // 2 if fault == "cut" else None)


# ---- The document request ------------------------------------------------------------

DOCUMENT_PATH = "/documents/"
# Documents served besides the gallery's entries.
OWN_DOCUMENTS = os.path.join(HERE, "documents")


def document_request_verdict(standin, headers):
    """Checks the headers of a document request (docs/protocol.md, "The
    document request"); answers the auth code it carries (upper-case hex,
    "" for an empty one) and whether this server issued it, or raises
    Refusal."""
    if headers.get("Velmora-LV-Doc-Slide-Request-Version") != "1":
        raise Refusal("wrong request version")
    if headers.get("Velmora-LV-Doc-Slide-Request-Type") != "Render-Document-Slide":
        raise Refusal("wrong request type")
    try:
        product = bytes.fromhex(headers.get("Velmora-LV-Product-Name", "")).decode("utf-16-le")
        bytes.fromhex(headers.get("Velmora-LV-Product-Version", "")).decode("utf-16-le")
        int(headers.get("Velmora-LV-UI-Language", ""))
        volume = headers.get("Velmora-LV-Player-Volume", "")
        if not re.fullmatch(r"[01]\.\d{6}", volume) or not 0.0 <= float(volume) <= 1.0:
            raise ValueError(volume)
        code = q.AesCbc.from_secret(session_code_key()).decrypt(
            bytes.fromhex(headers.get("Velmora-LV-Auth-Code", "")))
    except ValueError as error:
        raise Refusal("malformed header: %s" % error)
    if product != "Quillory":
        raise Refusal("unknown product")
    with standin.lock:
        known = code.hex().upper() in standin.codes
    return code.hex().upper(), known


def render_document_slide(standin, page, headers):
    """The page of one gallery entry as the browser shows it: its text in a
    page of ours, with the auth code the request carried in a meta element."""
    try:
        code, known = document_request_verdict(standin, headers)
    except Refusal as refusal:
        return 400, str(refusal).encode("utf-8")
    folder = standin.setting("gallery") or DEMO_GALLERY
    entries = {os.path.basename(path): path for path in gallery_entries(OWN_DOCUMENTS) + gallery_entries(folder)}
    name = urllib.parse.unquote(page)
    if name not in entries:
        return 404, b"no such document"
    with open(entries[name], "rb") as entry_file:
        text = entry_file.read().decode("utf-8", "replace")
    escape = lambda value: (value.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
                            .replace('"', "&quot;"))
    body = ('<!DOCTYPE html><html><head><title>%s</title><meta name="quillory-auth-code" content="%s" />'
            '<meta name="quillory-auth-code-known" content="%s" /></head><body><pre>%s</pre></body></html>'
            % (escape(name), code, "yes" if known else "no", escape(text)))
    return 200, body.encode("utf-8")


# ---- HTTP ------------------------------------------------------------------------------


# The certificates the TLS port can show (certificates.py writes them).
CERTIFICATES = ("good", "untrusted", "other_host", "expired")
# The scheme of the connection the handler thread serves ("http" or "https").
CONNECTION = threading.local()


class TlsServer(ThreadingHTTPServer):
    """The TLS port: each connection shows the certificate that the
    "certificate" setting names at the time it is accepted."""

    def __init__(self, address, handler, standin, folder):
        self.standin = standin
        self.contexts = {}
        for stem in CERTIFICATES:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(folder, stem + ".pem"), os.path.join(folder, stem + ".key"))
            self.contexts[stem] = context
        super().__init__(address, handler)

    def get_request(self):
        connection, address = self.socket.accept()
        stem = self.standin.setting("certificate")
        record = [stem, 0]
        with self.standin.lock:
            self.standin.tls.append(record)
        wrapped = self.contexts[stem].wrap_socket(connection, server_side=True, do_handshake_on_connect=False)
        wrapped.tls_record = record
        return wrapped, address


class Handler(BaseHTTPRequestHandler):
    server_version = "QuilloryStandIn/1"
    standin = None  # set by main
    log_file = None

    def handle(self):
        """Over TLS, the handshake first: a client that refuses the
        certificate closes the connection before it sends a request."""
        tls_record = getattr(self.connection, "tls_record", None)
        CONNECTION.scheme = "https" if tls_record is not None else "http"
        if tls_record is not None:
            try:
                self.connection.do_handshake()
            except (ssl.SSLError, OSError):
                return
        try:
            super().handle()
        except (ssl.SSLError, ConnectionError):
            pass  # the client went away

    def do_GET(self):
        self.handle_request("GET")

    def do_POST(self):
        self.handle_request("POST")

    def handle_request(self, method):
        url = urllib.parse.urlsplit(self.path)
        page = url.path.rstrip("/").rsplit("/", 1)[-1]
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        if url.path.startswith("/_control/"):
            return self.control(page, query)
        with self.standin.lock:
            tls_record = getattr(self.connection, "tls_record", None)
            if tls_record is not None:
                tls_record[1] += 1
            self.standin.records.append((method, self.path, list(self.headers.items()), len(body)))
        if url.path.startswith("/_test/"):
            return self.test_page(page, query, body)
        if page == "get-pk.aspx" and method == "GET":
            return self.exchange("pk", key_reply(self.standin, self.headers))
        if page == "get-slide.aspx" and method == "GET":
            return self.exchange(*slide_exchange_reply(self.standin, self.headers))
        if page == "get-slide.aspx" and method == "POST":
            return self.slide_post(body)
        if page == "get-am.aspx" and method == "POST":
            return self.adverts(body)
        if page == "get-galleries.aspx" and method == "GET":
            # Transport faults of the list request: at=galleries with slow or hold.
            if not self.delay_or_drop(self.standin.fault_at("galleries")):
                return
            return self.send(200, galleries.galleries_reply(self.standin, self.headers))
        if page == "set-cd.aspx":
            return self.send(200, clean_up(self.standin, self.headers))
        if page == "get-cv.aspx":
            return self.release_document()
        if page == "get-ip.aspx":
            return self.installer_package()
        if page == "wnd-properties.css":
            return self.send(200, STYLE_SHEET, "text/css")
        if url.path.startswith(DOCUMENT_PATH) and method == "GET":
            code, reply = render_document_slide(self.standin, url.path[len(DOCUMENT_PATH):], self.headers)
            return self.send(code, reply, "text/html; charset=utf-8")
        if page in PAGES:
            # The later features' pages answer empty until they are served.
            return self.send(200, b"")
        return self.send(404, b"no such page")

    def delay_or_drop(self, fault):
        """Carries out the transport faults: drops the connection (answers
        False: nothing more is sent), sleeps for a slow reply, or holds the
        reply until the test releases it. True when the reply is to be sent."""
        if fault == "drop":
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            self.log_line(0, 0, "dropped")
            return False
        if fault == "slow":
            time.sleep(int(self.standin.setting("delay_ms")) / 1000.0)
        if fault == "hold":
            with self.standin.lock:
                self.standin.held = True
                release = self.standin.release
            release.wait(120)
            with self.standin.lock:
                self.standin.held = False
        return True

    def exchange(self, step, reply):
        """Sends a reply of the exchange scrambled with the request's own E,
        after whatever the fault of this step asks for."""
        fault = self.standin.fault_at(step)
        key = self.headers.get("E", "")
        if fault == "wrong_scramble_key":
            key = key[::-1]
        if not self.delay_or_drop(fault):
            return
        if fault == "oversize":
            return self.send(200, reply)  # refused by its size before anything else
        try:
            scrambled = q.scramble_bytes(reply, key.encode("utf-8"))
        except ValueError:
            scrambled = reply  # a key under 7 bytes: the client cannot unscramble anyway
        self.send(200, scrambled)

    def slide_post(self, body):
        if not self.delay_or_drop(self.standin.fault_at("slide")):
            return
        reply, refusal = slide_post_reply(self.standin, self.headers, body)
        if reply is None:
            # Without a usable client key nothing can be encrypted for it.
            return self.send(400, refusal.encode("utf-8"))
        self.send(200, reply)

    def adverts(self, body):
        """get-am.aspx: the report is kept, the documents go back (faults at=am)."""
        with self.standin.lock:
            self.standin.reports.append(adverts_page.decode_report(body))
            settings = dict(self.standin.settings)
        fault = self.standin.fault_at("am")
        if not self.delay_or_drop(fault):
            return
        self.send(200, adverts_page.adverts_reply(settings, self.headers, fault))

    def release_document(self):
        if self.delay_or_drop(self.standin.fault_at("cv")):
            self.send(200, release_document(self.standin), "text/xml; charset=utf-8")

    def installer_package(self):
        fault = self.standin.fault_at("ip")
        if not self.delay_or_drop(fault):
            return
        headers, body, sent = installer_reply(self.standin)
        self.send_response_only(200)
        self.send_header("Content-Type", "application/x-msi")
        if fault != "no_length":
            self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        part = body if sent is None else body[:sent]
        delay = int(self.standin.setting("chunk_delay_ms")) / 1000.0 if fault == "trickle" else 0
        for at in range(0, len(part), 4096):
            self.wfile.write(part[at:at + 4096])
            if delay:
                self.wfile.flush()
                time.sleep(delay)
        self.wfile.flush()
        if sent is not None:
            self.connection.shutdown(socket.SHUT_RDWR)
        self.log_line(200, len(part), fault or "-")

    def test_page(self, page, query, body):
        if page == "bytes":
            count = int(query.get("count", "0"))
            return self.send(200, bytes(i % 251 for i in range(count)))
        if page == "status":
            code = int(query.get("code", "200"))
            return self.send(code, ("status %d" % code).encode())
        if page == "echo":
            return self.send(200, body)
        if page == "stream":
            return self.stream(int(query.get("count", "0")), int(self.standin.setting("stream_delay_ms")))
        return self.send(404, b"no such test page")

    def stream(self, count, delay_ms):
        """A long reply with its length announced, sent piece by piece; the
        count sent so far is kept for /_control/streaming."""
        piece = bytes(i % 251 for i in range(65536))
        self.send_response_only(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(count))
        self.send_header("Connection", "close")
        self.end_headers()
        sent = 0
        with self.standin.lock:
            stream_round = self.standin.stream_round
            self.standin.stream_end = "running"
        hold_at = int(self.standin.setting("stream_hold_at"))
        try:
            while sent < count:
                if hold_at and sent >= hold_at:
                    hold_at = 0
                    self.wfile.flush()
                    self.delay_or_drop("hold")
                part = piece[:min(len(piece), count - sent)]
                self.wfile.write(part)
                sent += len(part)
                with self.standin.lock:
                    if self.standin.stream_round == stream_round:
                        self.standin.streamed = sent
                if delay_ms:
                    self.wfile.flush()
                    time.sleep(delay_ms / 1000.0)
            self.wfile.flush()
        except OSError:
            pass  # the client went away
        with self.standin.lock:
            if self.standin.stream_round == stream_round:
                self.standin.stream_end = "complete" if sent >= count else "cut"
        self.log_line(200, sent, "stream")

    def control(self, page, query):
        standin = self.standin
        if page == "ping":
            return self.send(200, ("quillory-standin %d" % os.getpid()).encode(), log=False)
        if page == "reset":
            standin.reset()
        elif page == "set":
            with standin.lock:
                unknown = [name for name in query if name not in SETTINGS]
                if unknown:
                    return self.send(400, ("unknown setting " + ", ".join(unknown)).encode())
                if query.get("certificate", "good") not in CERTIFICATES:
                    return self.send(400, b"unknown certificate")
                standin.settings.update(query)
        elif page == "requests":
            with standin.lock:
                return self.send(200, Recorder.text(standin.records).encode("utf-8"), log=False)
        elif page == "sessions":
            with standin.lock:
                lines = ["%s %s %s" % (s.text, *s.final) for s in standin.sessions.values() if s.final]
            return self.send(200, ("\n".join(lines) + "\n").encode(), log=False)
        elif page in ("codes", "cleaned", "slides", "issued"):
            with standin.lock:
                lines = sorted(standin.codes) if page == "codes" else list(getattr(standin, page))
            return self.send(200, ("\n".join(lines) + "\n").encode(), log=False)
        elif page == "reports":
            with standin.lock:
                text = "".join("\n".join(lines) + "\n\n" for lines in standin.reports)
            return self.send(200, text.encode("utf-8"), log=False)
        elif page == "streaming":
            with standin.lock:
                return self.send(200, str(standin.streamed).encode(), log=False)
        elif page == "stream_end":
            with standin.lock:
                return self.send(200, standin.stream_end.encode(), log=False)
        elif page == "tls":
            with standin.lock:
                text = "".join("%s %d\n" % (stem, requests) for stem, requests in standin.tls)
            return self.send(200, text.encode(), log=False)
        elif page == "held":
            with standin.lock:
                return self.send(200, b"1" if standin.held else b"0", log=False)
        elif page == "release":
            standin.release.set()
        else:
            return self.send(404, b"no such control page")
        return self.send(200, b"ok")

    def send(self, code, body, content_type="application/octet-stream", log=True):
        self.send_response_only(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        if log:
            self.log_line(code, len(body), self.standin.setting("fault") or "-")

    def log_line(self, code, size, note):
        line = "%s %s %s %s %s %d %d %s\n" % (time.strftime("%H:%M:%S"), getattr(CONNECTION, "scheme", "http"),
                                             self.client_address[0], self.command, self.path, code, size, note)
        if Handler.log_file:
            Handler.log_file.write(line)
            Handler.log_file.flush()

    def log_message(self, *args):
        pass  # log_line writes the one line per request


def read_version_texts(arguments):
    """NAME=VALUE pairs; without any, the texts of cmake/QuilloryVersion.cmake."""
    if arguments:
        return dict(item.split("=", 1) for item in arguments)
    path = os.path.join(HERE, "..", "..", "cmake", "QuilloryVersion.cmake")
    try:
        source = open(path, encoding="utf-8").read()
    except OSError:
        return None
    values = dict(re.findall(r'set\((QUILLORY_\w+) "([^"]*)"\)', source))
    numbers = re.search(r"set\(QUILLORY_VERSION_NUMBERS ([\d ]+)\)", source)
    values["QUILLORY_VERSION"] = ".".join(numbers.group(1).split()) if numbers else ""
    texts = {}
    for name, value in re.findall(r'"(\w+)=\$\{(QUILLORY_\w+)\}"', source):
        texts[name] = values.get(value, "")
    return texts if len(texts) == len(q.VERSION_ENTRIES) else None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--tls-port", type=int, default=443)
    parser.add_argument("--certificates", help="the folder of certificates.py; without it no TLS port")
    parser.add_argument("--pid-file")
    parser.add_argument("--log")
    parser.add_argument("--lock-file", help="default: one per network namespace in /tmp")
    parser.add_argument("--version-text", action="append", default=[])
    parser.add_argument("--set", action="append", default=[], help="a setting before the first request")
    args = parser.parse_args()

    if args.pid_file:
        with open(args.pid_file, "w") as pid_file:
            pid_file.write("%d\n" % os.getpid())
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    # One stand-in on the ports at a time: a second test run of the same
    # network namespace waits here until the first one's server has ended.
    # Runs in namespaces of their own have ports of their own.
    lock_file = args.lock_file or "/tmp/quillory-standin-server-%d.lock" % os.stat("/proc/self/ns/net").st_ino
    lock = open(lock_file, "a")
    fcntl.flock(lock, fcntl.LOCK_EX)

    initial = dict(item.split("=", 1) for item in args.set)
    unknown = [name for name in initial if name not in SETTINGS]
    if unknown:
        parser.error("unknown setting " + ", ".join(unknown))
    Handler.standin = StandIn(read_version_texts(args.version_text), initial)
    Handler.log_file = open(args.log, "a") if args.log else sys.stderr
    ThreadingHTTPServer.allow_reuse_address = True
    ThreadingHTTPServer.daemon_threads = True
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    if args.certificates:
        TlsServer.allow_reuse_address = True
        TlsServer.daemon_threads = True
        tls_server = TlsServer(("127.0.0.1", args.tls_port), Handler, Handler.standin, args.certificates)
        threading.Thread(target=tls_server.serve_forever, daemon=True).start()
    try:
        server.serve_forever()
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
