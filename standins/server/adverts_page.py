"""get-am.aspx of the stand-in: takes the statistics report, records it, and
answers the three advert documents built from a small description of its own
(docs/protocol.md, "The adverts exchange").

The description is JSON (setting "adverts"; empty: DEFAULT_ADVERTS):
    {"menu": {<element>: <text>, ..., "adverts": [{<field>: <text>}, ...]},
     "overlay": {... the same ...}, "slide": {<element>: <text>}}
Element and field names are those of the documents. The texts of hex fields
(titles, urls, class, content, Title_Text, Title_URL) are written as plain
text and hex-encoded here; an element whose value is null is left out; a
"version" entry sets the root's version attribute (null: none). A document
may instead be given whole as raw XML (settings "menu_xml", "overlay_xml",
"slide_xml"), to send what the description cannot.
"""

import json
import struct
from xml.sax.saxutils import escape

import quillory_crypto as q

DEFAULT_ADVERTS = {
    "menu": {
        "Enabled": "1", "Web_Home_App_Default": "1", "Title_Bold": "1", "Title_Italic": "0",
        "Title_Underlined": "0", "Title_Normal_Height": "1", "Title_Has_Separator": "1", "Title_Icon": "0",
        "Fixed_Items_Positions": "1", "Title_Text": "Sponsored", "Title_URL": "http://127.0.0.1/adverts",
        "Position": "dynamic", "Max_Displayed_Entries": "2",
        "adverts": [
            {"title": "Lakeside Prints", "enabled": "1", "url": "http://127.0.0.1/lakeside", "priority": "3"},
            {"title": "Frame Works", "enabled": "1", "url": "https://127.0.0.1/frames", "priority": "1"},
        ],
    },
    "overlay": {
        "Enabled": "1", "Incidence": "3", "MC_Lag_Time": "5", "MC_Has_Title": "1", "MC_Title_Bold": "0",
        "MC_Title_Italic": "0", "MC_Title_Underlined": "1", "MC_Title_Icon": "0", "MC_Title_Normal_Height": "1",
        "adverts": [
            {"leading_title": "Print Shop", "auxiliary_title": "Posters", "enabled": "1", "class": "banner",
             "content": "Posters of your slides", "url": "http://127.0.0.1/prints", "priority": "2"},
        ],
    },
    "slide": {"Enabled": "1", "Incidence": "4"},
}

ROOTS = {"menu": "Menu_Adverts", "overlay": "Overlay_Adverts", "slide": "Slide_Adverts"}
HEX_FIELDS = {"Title_Text", "Title_URL", "title", "url", "leading_title", "auxiliary_title", "class", "content"}
# Faults with at=am.
FAULTS = ("empty", "short", "marker", "total", "lengths", "doc_overrun", "wrong_scramble_key")


def hex_text(text):
    return text.encode("utf-16-le").hex().upper()


def element(name, value):
    if value is None:
        return ""
    text = hex_text(value) if name in HEX_FIELDS else escape(value)
    return "<%s>%s</%s>" % (name, text, name)


def document_xml(kind, description):
    """The XML text of one document from its description."""
    root = ROOTS[kind]
    version = description.get("version", "1")
    attribute = "" if version is None else ' version="%s"' % escape(version)
    parts = [element(name, value) for name, value in description.items() if name not in ("adverts", "version")]
    if "adverts" in description and description["adverts"] is not None:
        adverts = "".join("<Advert>%s</Advert>" % "".join(element(n, v) for n, v in advert.items())
                          for advert in description["adverts"])
        parts.append("<Adverts>%s</Adverts>" % adverts)
    return '<?xml version="1.0" encoding="utf-8"?><%s%s>%s</%s>' % (root, attribute, "".join(parts), root)


def scrambled(data, key):
    """Data of fewer than 2 bytes cannot be scrambled and goes as it is."""
    return q.scramble_bytes(data, key) if len(data) >= 2 else data


def decode_report(body):
    """The report's lines: its UTF-16LE text split at CRLF."""
    try:
        return body.decode("utf-16-le").split("\r\n")
    except UnicodeDecodeError:
        return ["<not UTF-16LE: %d bytes>" % len(body)]


def adverts_reply(settings, headers, fault):
    """The scrambled framed reply of get-am.aspx for the request's E."""
    request_id = headers.get("E", "")
    key = request_id.encode("utf-8")
    description = json.loads(settings["adverts"]) if settings["adverts"] else DEFAULT_ADVERTS
    documents = []
    for kind in ("menu", "overlay", "slide"):
        raw = settings[kind + "_xml"]
        text = raw if raw else document_xml(kind, description.get(kind, {}))
        # Each document is scrambled on its own, then the whole reply again.
        documents.append(scrambled(text.encode("utf-8"), key))
    if fault == "empty":
        return b""
    body = b"".join(struct.pack(">I", len(d)) + d for d in documents)
    total = 8 + len(body)
    reply = struct.pack(">II", 0xFFFFFFFF, total) + body
    if fault == "short":
        reply = reply[:7]
    elif fault == "marker":
        reply = struct.pack(">I", 0xFFFFFFFE) + reply[4:]
    elif fault == "total":
        reply = reply[:4] + struct.pack(">I", total + 1) + reply[8:]
    elif fault == "lengths":
        # The last document's length claims one byte more than there is.
        reply = reply[:-len(documents[2]) - 4] + struct.pack(">I", len(documents[2]) + 1) + documents[2]
    elif fault == "doc_overrun":
        # The first length runs far past the end of the reply.
        reply = reply[:8] + struct.pack(">I", 0x7FFFFFF0) + reply[12:]
    if fault == "wrong_scramble_key":
        key = request_id[::-1].encode("utf-8")
    return scrambled(reply, key)
