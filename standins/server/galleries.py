"""The stand-in's online galleries (docs/protocol.md, "Online galleries and
the filter"): the gallery tree and the searchable properties on
get-galleries.aspx (LIST-ALL), the translation of a gallery path
(TRANSLATE), and the filter block of the slide request applied to the
pictures served. Written from the protocol, not from the client.
"""

import datetime
import hashlib
import struct

import quillory_crypto as q

# Settings of this page, merged into the server's SETTINGS.
SETTINGS = {
    # How the get-galleries.aspx reply misbehaves (see GALLERY_FAULTS).
    "galleries_fault": "",
    # The status byte of galleries_fault=status (128 to 138 carry "message").
    "galleries_status": "130",
}
# galleries_fault values: status (the status byte and, for 128 to 138, the
# message), empty (no bytes), short (status only), odd_gallery (G is odd),
# gallery_overrun (G runs past the reply), container_overrun (X does not
# end the reply), gallery_nul (a NUL unit in the gallery text),
# bad_gallery_text (the text begins with "**"), short_container (a
# container of 8 bytes), bad_mark, bad_length, bad_document_length,
# bad_xml, no_items, bad_version, odd_hex (an element text with an odd
# count of digits), duplicate_vid, missing_data (a value without "data").
GALLERY_FAULTS = ("status", "empty", "short", "odd_gallery", "gallery_overrun", "container_overrun", "gallery_nul",
                  "bad_gallery_text", "short_container", "bad_mark", "bad_length", "bad_document_length", "bad_xml",
                  "no_items", "bad_version", "odd_hex", "duplicate_vid", "missing_data")

ENGLISH, BULGARIAN = 1033, 1026

# The gallery tree: (depth, English name, Bulgarian name).
GALLERY_TREE = ((1, "Demo", "Демо"), (1, "Art", "Изкуство"), (2, "Paintings", "Картини"),
                (3, "Oil", "Маслени"), (2, "Drawings", "Рисунки"), (1, "Photographs", "Снимки"))

# The properties: id -> (English name, Bulgarian name, entry_type, data_type,
# is_enum, is_container_property, values {vid: (English, Bulgarian)}).
PROPERTIES = {
    101: ("Title", "Заглавие", 2, 0, False, False, {}),
    102: ("Number", "Номер", 2, 12, False, False, {}),
    103: ("Colour", "Цвят", 1, 1, True, False, {3: ("red", "red"), 9: ("green", "green"), 5: ("blue", "blue")}),
    104: ("Created", "Създадено", 2, 2, False, False, {}),
    105: ("Century", "Век", 1, 8, False, True, {1: ("XX AD", "XX AD"), 2: ("XXI AD", "XXI AD")}),
    106: ("Rating", "Оценка", 2, 13, False, False, {}),
    107: ("Subject", "Тема", 0, 0, False, False, {10: ("Landscape", "Пейзаж"), 11: ("Portrait", "Портрет")}),
    108: ("Duration", "Продължителност", 2, 10, False, False, {}),
    109: ("Unused", "Неизползвано", 0, 3, False, False, {}),
}
COLOURS = ("red", "green", "blue")
CENTURIES = ("XX AD", "XXI AD")


# ---- get-galleries.aspx ------------------------------------------------------


def be32(n):
    return struct.pack(">I", n & 0xFFFFFFFF)


def hex_text(text):
    return text.encode("utf-16-le").hex().upper()


def language_of(headers):
    try:
        return int(headers.get("Velmora-LV-UI-Language", "1033"))
    except ValueError:
        return ENGLISH


def gallery_text(language):
    column = 2 if language == BULGARIAN else 1
    return "".join("*" * item[0] + item[column] for item in GALLERY_TREE)


def gallery_paths(language):
    """Every gallery path of the tree in the language."""
    column = 2 if language == BULGARIAN else 1
    paths, stack = [], []
    for item in GALLERY_TREE:
        stack = stack[:item[0] - 1] + [item[column]]
        paths.append("/".join(stack))
    return paths


def property_document(language, fault):
    """The XML document of the properties; every element text is hex of
    UTF-16LE."""
    bulgarian = language == BULGARIAN
    items = []
    for pid, (english, local, entry_type, data_type, is_enum, container, values) in PROPERTIES.items():
        name = local if bulgarian else english
        value_xml = []
        entries = list(values.items())
        if fault == "duplicate_vid" and entries:
            entries.append(entries[0])
        for vid, texts in entries:
            text = texts[1] if bulgarian and entry_type == 0 else texts[0]
            data = "" if fault == "missing_data" else "<data>%s</data>" % hex_text(text)
            value_xml.append("<value><vid>%s</vid>%s</value>" % (hex_text(str(vid)), data))
        id_text = hex_text(str(pid))
        if fault == "odd_hex":
            id_text += "3"
        fields = (("id", id_text), ("entry_type", hex_text(str(entry_type))),
                  ("data_type", hex_text(str(data_type))), ("class_name", hex_text(name)),
                  ("multiplicity", hex_text("false")), ("is_enum", hex_text("true" if is_enum else "false")),
                  ("is_container_property", hex_text("true" if container else "false")),
                  ("is_content_property", hex_text("false")))
        items.append("<item>%s<propetry_data>%s</propetry_data></item>" %
                     ("".join("<%s>%s</%s>" % (tag, text, tag) for tag, text in fields), "".join(value_xml)))
    version = "2" if fault == "bad_version" else "1"
    inner = "" if fault == "no_items" else "<Items>%s</Items>" % "".join(items)
    document = '<?xml version="1.0" encoding="utf-8"?><Search_Properties version="%s">%s</Search_Properties>' % (
        version, inner)
    if fault == "bad_xml":
        document = document[:-5]
    return document.encode("utf-8")


def property_container(language, key, fault):
    """The container: 0xFFFFFFFF, its length, D and the document scrambled,
    all scrambled once more with the request id."""
    document = q.scramble_bytes(property_document(language, fault), key)
    length = 12 + len(document)
    if fault == "bad_length":
        length += 1
    head = be32(0x12345678 if fault == "bad_mark" else 0xFFFFFFFF) + be32(length) + \
        be32(len(document) + (1 if fault == "bad_document_length" else 0))
    inner = head[:8] if fault == "short_container" else head + document
    return q.scramble_bytes(inner, key)


def list_all_reply(headers, fault, status):
    language = language_of(headers)
    if fault == "empty":
        return b""
    if fault == "status":
        message = "The galleries are being rebuilt." if 128 <= status <= 138 else ""
        return bytes([status]) + message.encode("utf-16-le")
    if fault == "short":
        return b"\0"
    text = gallery_text(language)
    if fault == "bad_gallery_text":
        text = "*" + text
    if fault == "gallery_nul":
        text = text[:3] + "\0" + text[3:]
    galleries = text.encode("utf-16-le")
    key = headers.get("E", "").encode("utf-8")
    container = property_container(language, key, fault)
    g = len(galleries) + (1 if fault == "odd_gallery" else 0)
    if fault == "gallery_overrun":
        g = len(galleries) + len(container) + 8 + len(container) % 2  # even, and past the end
    x = len(container) + (1 if fault == "container_overrun" else 0)
    return b"\0" + be32(g) + galleries + be32(x) + container


def translate_reply(headers):
    try:
        path = bytes.fromhex(headers.get("Velmora-LV-Gallery-Name", "")).decode("utf-16-le")
        source = int(headers.get("Velmora-LV-Gallery-Language", ""))
        target = int(headers.get("Velmora-LV-Internet-Function-Translate", ""))
    except ValueError:
        return bytes([1])
    if source not in (ENGLISH, BULGARIAN) or target not in (ENGLISH, BULGARIAN):
        return b"\0"  # no such language: no such gallery
    known = dict(zip(gallery_paths(source), gallery_paths(target)))
    return b"\0" + known.get(path, "").encode("utf-16-le")


def galleries_reply(standin, headers):
    """The reply of get-galleries.aspx."""
    fault = standin.setting("galleries_fault")
    status = int(standin.setting("galleries_status"))
    function = headers.get("Velmora-LV-Internet-Library-Function")
    if headers.get("Velmora-LV-Internet-Slide-Library-Version") != "5":
        return bytes([1])
    if function == "TRANSLATE":
        return translate_reply(headers)
    if function == "LIST-ALL" and headers.get("Velmora-LV-Get-Properties-Request-Version") == "1" and \
            headers.get("Velmora-LV-Internet-Properties-Function") == "USER-FILTER-LIST-ALL-RELEVANT-PROPERTIES":
        return list_all_reply(headers, fault, status)
    return bytes([1])


# ---- the filter block of the slide request ------------------------------------


class FilterError(Exception):
    pass


def checksum_bits(data):
    total = 0.0
    for i, b in enumerate(data):
        total += (b + i) / (i + 256.0)
    return struct.unpack(">Q", struct.pack(">d", total))[0]


def read_value(block):
    if len(block) < 24:
        raise FilterError("value block too short")
    version, vtype, t = struct.unpack(">III", block[:12])
    if version != 1 or vtype > 14 or t % 2 or t + 24 != len(block):
        raise FilterError("value block malformed")
    if struct.unpack(">I", block[t + 12:t + 16])[0] != len(block) or \
            struct.unpack(">Q", block[t + 16:t + 24])[0] != checksum_bits(block[:t + 16]):
        raise FilterError("value block checksum")
    return vtype, block[12:12 + t].decode("utf-16-le")


def read_line(record):
    if len(record) < 62:
        raise FilterError("record too short")
    if struct.unpack(">I", record[:4])[0] != 1:
        raise FilterError("record version")
    v = struct.unpack(">I", record[16:20])[0]
    if v + 38 != len(record):
        raise FilterError("record length")
    vtype, text = read_value(record[20:20 + v])
    line = {
        "open": record[4] == 1,
        "property": struct.unpack(">Q", record[5:13])[0],
        "operator": chr(struct.unpack(">H", record[13:15])[0]),
        "from_list": record[15] == 1,
        "type": vtype,
        "text": text,
        "language": struct.unpack(">I", record[v + 20:v + 24])[0],
        "close": record[v + 24] == 1,
        "conjunction": chr(record[v + 25]),
    }
    if line["conjunction"] not in "&=^|" or struct.unpack(">I", record[v + 26:v + 30])[0] != len(record) or \
            struct.unpack(">Q", record[v + 30:v + 38])[0] != checksum_bits(record[:v + 30]):
        raise FilterError("record trailer")
    return line


def read_filter(blob):
    """The lines of a filter block; FilterError when any check fails."""
    if len(blob) < 88:
        raise FilterError("filter too short")
    version, count = struct.unpack(">II", blob[:8])
    if version != 1 or not 1 <= count <= 5:
        raise FilterError("filter version or line count")
    at, end, lines = 8, len(blob) - 80, []
    for _ in range(count):
        if at + 4 > end:
            raise FilterError("record length missing")
        length = struct.unpack(">I", blob[at:at + 4])[0]
        if at + 4 + length > end:
            raise FilterError("record runs past the filter")
        lines.append(read_line(blob[at + 4:at + 4 + length]))
        at += 4 + length
    if at != end or struct.unpack(">I", blob[at:at + 4])[0] != 64:
        raise FilterError("digest length")
    if blob[at + 4:at + 68] != hashlib.sha512(blob[:at]).digest():
        raise FilterError("digest")
    if struct.unpack(">I", blob[at + 68:at + 72])[0] != len(blob) or \
            struct.unpack(">Q", blob[at + 72:at + 80])[0] != checksum_bits(blob[:at + 72]):
        raise FilterError("trailer")
    return lines


ROMAN = (("M", 1000), ("D", 500), ("C", 100), ("L", 50), ("X", 10), ("V", 5), ("I", 1))


def era_number(text, roman):
    number, era = text.split(" ")
    if roman:
        values = [dict(ROMAN)[c] for c in number]
        n = sum(-v if i + 1 < len(values) and v < values[i + 1] else v for i, v in enumerate(values))
    else:
        n = int(number)
    return n if era == "AD" else -n


def sort_key(data_type, text):
    """The value as the comparisons see it."""
    if data_type in (11, 12):
        return int(text)
    if data_type in (13, 14):
        return float(text)
    if data_type in (7, 9):
        return era_number(text, False)
    if data_type == 8:
        return era_number(text, True)
    return text  # texts, and the fixed-width date and time texts


def entry_values(index, name, language):
    """The property values of the entry at index (0-based) of the gallery."""
    day = datetime.date(2000, 1, 1) + datetime.timedelta(days=40 * index)
    subject = PROPERTIES[107][6][10 + index % 2][1 if language == BULGARIAN else 0]
    return {101: name.rsplit(".", 1)[0], 102: str(index + 1), 103: COLOURS[index % 3], 104: day.isoformat(),
            105: CENTURIES[index % 2], 106: str(index * 0.5), 107: subject,
            108: "0000-%02d-00 00:00:00" % index}


def condition_holds(line, values):
    prop = PROPERTIES.get(line["property"])
    if prop is None or line["property"] not in values:
        return False
    data_type = prop[3]
    have, want = values[line["property"]], line["text"]
    op = line["operator"]
    if op in "\u2261\u2262\u2282\u2284\u2286\u2288":
        a, b = have.lower(), want.lower()
        result = {"\u2261": a == b, "\u2262": a != b, "\u2282": b in a, "\u2284": b not in a,
                  "\u2286": a.startswith(b), "\u2288": not a.startswith(b)}
        return result[op]
    try:
        a, b = sort_key(data_type, have), sort_key(data_type, want)
    except (ValueError, KeyError):
        return False
    return {"=": a == b, "\u2260": a != b, "\u2264": a <= b, "<": a < b, ">": a > b, "\u2265": a >= b}.get(op, False)


def evaluate(lines, values):
    """The lines joined by their conjunctions, left to right, parentheses
    grouping; no precedence among &, ^ and |."""
    tokens = []
    for line in lines:
        if line["open"]:
            tokens.append("(")
        tokens.append(condition_holds(line, values))
        if line["close"]:
            tokens.append(")")
        if line["conjunction"] != "=":
            tokens.append(line["conjunction"])
    position = [0]

    def operand():
        token = tokens[position[0]]
        position[0] += 1
        if token == "(":
            value = sequence()
            if position[0] >= len(tokens) or tokens[position[0]] != ")":
                raise FilterError("parenthesis not closed")
            position[0] += 1
            return value
        if isinstance(token, bool):
            return token
        raise FilterError("condition expected")

    def sequence():
        value = operand()
        while position[0] < len(tokens) and tokens[position[0]] in "&^|":
            op = tokens[position[0]]
            position[0] += 1
            other = operand()
            value = value and other if op == "&" else value != other if op == "^" else value or other
        return value

    try:
        result = sequence()
    except IndexError:
        raise FilterError("the filter ends early")
    if position[0] != len(tokens):
        raise FilterError("parentheses do not match")
    return result


def filter_entries(entries, blob, language):
    """The entries (paths) that the filter block lets through; all of them
    for an empty block. FilterError for a block that fails its checks."""
    if not blob:
        return list(entries)
    lines = read_filter(blob)
    kept = []
    for index, path in enumerate(entries):
        name = path.replace("\\", "/").rsplit("/", 1)[-1]
        if evaluate(lines, entry_values(index, name, language)):
            kept.append(path)
    return kept
