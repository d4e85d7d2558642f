"""The server's side of Quillory's cryptography.

What the stand-in server needs to talk to the client, and what the build
uses to store the protected texts: the keyed (un)scrambling pass, the
key derived from a text, the software AES-256-CBC with its key and IV
derivation, RSA blocks in the client's CryptoAPI conventions (byte order,
chaining, key blobs) and the protected texts (docs/protected-texts.md).

Written from the protocol, with Debian's python3-cryptography for the
primitives (AES, RSA, hashes).
"""

import hashlib
import math
import struct

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.asymmetric import padding, rsa
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

# ---- scrambling ---------------------------------------------------------------


def _scramble_key(key):
    """Addend, multiplier, rounds and counter start from the first 7 bytes."""
    if len(key) < 7:
        raise ValueError("a scrambling key has at least 7 bytes")
    addend, multiplier = key[0], key[1]
    rounds = key[2] + 49
    start = struct.unpack("<I", bytes(key[3:7]))[0]
    return addend, multiplier, rounds, start


def unscramble_bytes(data, key):
    """The client's unscrambling pass: what it does to bytes it receives."""
    if not data:
        raise ValueError("nothing to unscramble")
    c, m, rounds, start = _scramble_key(key)
    d = bytearray(data)
    n = len(d)
    t = (n * rounds + start) & 0xFFFFFFFF
    for _ in range(rounds):
        for i in range(n - 1, 0, -1):
            t = (t - 1) & 0xFFFFFFFF
            d[i] = (d[i] - (d[i - 1] + (t & 0xFF) * m + c)) & 0xFF
        t = (t - 1) & 0xFFFFFFFF
        d[0] = (d[0] - (d[n - 1] + (t & 0xFF) * m + c)) & 0xFF
    d[0] = (d[0] + d[n - 1]) & 0xFF
    return bytes(d)


def scramble_bytes(data, key):
    """The inverse of unscramble_bytes: what the server sends. Data of fewer
    than 2 bytes cannot be scrambled (unscrambling one byte loses it)."""
    if len(data) < 2:
        raise ValueError("scrambled data has at least 2 bytes")
    c, m, rounds, start = _scramble_key(key)
    d = bytearray(data)
    n = len(d)
    # Undo the steps in the opposite order, with the counter running upwards.
    d[0] = (d[0] - d[n - 1]) & 0xFF
    t = start
    for _ in range(rounds):
        d[0] = (d[0] + d[n - 1] + (t & 0xFF) * m + c) & 0xFF
        t = (t + 1) & 0xFFFFFFFF
        for i in range(1, n):
            d[i] = (d[i] + d[i - 1] + (t & 0xFF) * m + c) & 0xFF
            t = (t + 1) & 0xFFFFFFFF
    return bytes(d)


# ---- keys from texts and secrets ------------------------------------------------


def derive_key_from_text(text):
    """64 bytes: SHA-512 over the UTF-16LE text and over the text reversed,
    both digests byte-reversed, then SHA-512 of the two joined."""
    a = hashlib.sha512(text.encode("utf-16-le")).digest()[::-1]
    b = hashlib.sha512(text[::-1].encode("utf-16-le")).digest()[::-1]
    return hashlib.sha512(a + b).digest()


def fold_digest(data, target):
    """XOR of neighbouring pairs until the bytes left match the room left,
    then the rest copied; again while longer than target."""
    n = len(data)
    if n < target:
        raise ValueError("the digest is shorter than the target")
    m = max(n // 2, target)
    out = bytearray()
    r = 0
    for j in range(m):
        if n - r != m - j:
            out.append(data[r] ^ data[r + 1])
            r += 2
        else:
            out.append(data[r])
            r += 1
    if m > target:
        return fold_digest(bytes(out), target)
    return bytes(out)


def _curve_byte(b, use_sine):
    x = b / 255.0 * 1.570796326795
    y = abs(math.sin(x) if use_sine else math.cos(x))
    return int(y * 255.0) & 0xFF


def _first_non_zero(data, index):
    for value in data[index:]:
        if value:
            return value
    return 165


def aes_key_iv(secret, digest=lambda data: hashlib.sha512(data).digest()):
    """Key (32 bytes) and IV (16 bytes) of the client's software AES for a
    secret of at least 5 bytes, with SHA-512 unless told otherwise. Also
    answers what the client's secret buffer holds afterwards."""
    s = bytearray(secret)
    n = len(s)
    if n < 5:
        raise ValueError("the secret has at least 5 bytes")
    b = s[n // 2 - 2] or _first_non_zero(s, 2)
    v = _curve_byte(b, s[4] < 128) or _first_non_zero(s, 3)
    s[0] ^= v
    d1 = bytearray(digest(bytes(s)))
    key = fold_digest(bytes(d1), 32)
    m = len(d1)
    b = d1[m // 2 + 2] or _first_non_zero(d1, 2)
    v = _curve_byte(b, d1[4] > 96) or _first_non_zero(d1, 7)
    d1[1] ^= v
    d2 = digest(bytes(d1))[::-1]
    iv = fold_digest(d2, 16)
    return key, iv, bytes(d1)


class AesCbc:
    """AES-CBC with PKCS#7 padding; every call starts from the IV."""

    def __init__(self, key, iv):
        self.key = bytes(key)
        self.iv = bytes(iv)

    @classmethod
    def from_secret(cls, secret):
        key, iv, _ = aes_key_iv(secret)
        return cls(key, iv)

    def encrypt(self, data):
        pad = 16 - len(data) % 16
        encryptor = Cipher(algorithms.AES(self.key), modes.CBC(self.iv)).encryptor()
        return encryptor.update(bytes(data) + bytes([pad]) * pad) + encryptor.finalize()

    def decrypt(self, data, strip=True):
        if len(data) % 16:
            raise ValueError("AES-CBC data is whole blocks")
        decryptor = Cipher(algorithms.AES(self.key), modes.CBC(self.iv)).decryptor()
        plain = decryptor.update(bytes(data)) + decryptor.finalize()
        if not strip or not plain:
            return plain
        pad = plain[-1]
        if not 1 <= pad <= 16 or pad > len(plain) or plain[-pad:] != bytes([pad]) * pad:
            raise ValueError("bad padding")
        return plain[:-pad]


# ---- RSA in CryptoAPI's conventions ---------------------------------------------
# CryptoAPI keeps blob numbers and cipher blocks little-endian; the wire is
# big-endian. Buffers carry blocks as CryptoAPI gives them; files turn each
# block around unless the peer is little-endian.

PUBLICKEYBLOB = 6
PRIVATEKEYBLOB = 7
CALG_RSA_KEYX = 0xA400
CRYPT_OAEP = 0x40


def _le(number, size):
    return number.to_bytes(size, "little")


def public_key_blob(public_key):
    """The PUBLICKEYBLOB CryptoAPI exports for a key-exchange key."""
    numbers = public_key.public_numbers()
    size = (public_key.key_size + 7) // 8
    return (struct.pack("<BBHI", PUBLICKEYBLOB, 2, 0, CALG_RSA_KEYX) +
            b"RSA1" + struct.pack("<II", public_key.key_size, numbers.e) + _le(numbers.n, size))


def private_key_blob(private_key):
    """A PRIVATEKEYBLOB of a key-exchange key (for tests: the client keeps
    its private key to itself)."""
    numbers = private_key.private_numbers()
    public = numbers.public_numbers
    size = (private_key.key_size + 7) // 8
    half = (size + 1) // 2
    return (struct.pack("<BBHI", PRIVATEKEYBLOB, 2, 0, CALG_RSA_KEYX) +
            b"RSA2" + struct.pack("<II", private_key.key_size, public.e) + _le(public.n, size) +
            _le(numbers.p, half) + _le(numbers.q, half) + _le(numbers.dmp1, half) + _le(numbers.dmq1, half) +
            _le(numbers.iqmp, half) + _le(numbers.d, size))


def load_public_key_blob(blob):
    """The RSA public key of a PUBLICKEYBLOB."""
    kind, version, _, _ = struct.unpack_from("<BBHI", blob, 0)
    magic = blob[8:12]
    bits, exponent = struct.unpack_from("<II", blob, 12)
    if kind != PUBLICKEYBLOB or version != 2 or magic != b"RSA1":
        raise ValueError("not a public key blob")
    size = (bits + 7) // 8
    modulus = int.from_bytes(blob[20:20 + size], "little")
    return rsa.RSAPublicNumbers(exponent, modulus).public_key()


def chain_seed(public_blob, block_bytes):
    """The block before the first when blocks are chained: the SHA-1 of the
    key's PUBLICKEYBLOB, repeated to the block size."""
    digest = hashlib.sha1(public_blob).digest()
    return (digest * (block_bytes // len(digest) + 1))[:block_bytes]


def _padding(flags):
    if flags == 0:
        return padding.PKCS1v15(), 11
    if flags == CRYPT_OAEP:
        return padding.OAEP(mgf=padding.MGF1(hashes.SHA1()), algorithm=hashes.SHA1(), label=None), 42
    raise ValueError("padding flags are 0 or CRYPT_OAEP")


def _xor(data, mask):
    return bytes(a ^ b for a, b in zip(data, mask))


def rsa_encrypt(public_key, data, chained=True, flags=0, little_endian=True, seed_blob=None):
    """Cipher blocks of the key size: CryptoAPI order (as a buffer) or
    big-endian (a file read by a big-endian peer). The chaining seed comes
    from the key's own PUBLICKEYBLOB."""
    pad, overhead = _padding(flags)
    size = (public_key.key_size + 7) // 8
    chunk = size - overhead
    previous = chain_seed(seed_blob or public_key_blob(public_key), size)
    out = bytearray()
    for at in range(0, len(data), chunk):
        piece = bytes(data[at:at + chunk])
        if chained:
            piece = _xor(piece, previous)
        block_le = public_key.encrypt(piece, pad)[::-1]
        if chained:
            previous = block_le
        out += block_le if little_endian else block_le[::-1]
    return bytes(out)


def rsa_decrypt(private_key, data, chained=True, flags=0, little_endian=True):
    """The joined plaintexts of cipher blocks made by the client."""
    pad, _ = _padding(flags)
    size = (private_key.key_size + 7) // 8
    if len(data) % size:
        raise ValueError("RSA data is whole blocks")
    previous = chain_seed(public_key_blob(private_key.public_key()), size)
    out = bytearray()
    for at in range(0, len(data), size):
        block = bytes(data[at:at + size])
        block_le = block if little_endian else block[::-1]
        plain = private_key.decrypt(block_le[::-1], pad)
        if chained:
            plain = _xor(plain, previous)
            previous = block_le
        out += plain
    return bytes(out)


# ---- protected texts -------------------------------------------------------------

# The version-resource entries the keys are built from, by index.
VERSION_ENTRIES = ("ProductName", "ProductVersion", "FileDescription", "FileVersion",
                   "InternalName", "OriginalFilename", "CompanyName", "LegalCopyright")
# The order the stored texts are scrambled in, and the AES layer's order.
STORED_ORDER = (0, 1, 2, 3, 4, 5, 6, 7)
OUTER_ORDER = (7, 6, 5, 4, 3, 2, 1, 0)

SESSION_SECRET_ID = 1
SERVER_BASE_ADDRESS_ID = 2
CACHE_PASS_PHRASE_ID = 3

# The secret of test and local builds, shared with the stand-in server.
TEST_SESSION_SECRET = bytes.fromhex(
    "5a1c9e07d3b86f24e190c7a53b8d02f6"
    "71e4a9c05d3f86b2e07a914c6d28f35b"
    "c89304e1b76a5d2f0c83e9147ab25d60"
    "3f9ad6128ec47b05a1d963f28c70e4b9")
# The fixed part of the slide cache pass phrase.
CACHE_PASS_PHRASE_TEXT = "{6E2B9C41-7D03-4F8A-B5E6-1A9C3D47F802}ssd"


def _ordered_text(version_texts, order):
    if any(not 0 <= i <= 7 for i in order):
        raise ValueError("indices are 0 to 7")
    return "".join(version_texts[VERSION_ENTRIES[i]] for i in order)


def _outer_cipher(version_texts):
    return AesCbc.from_secret(derive_key_from_text(_ordered_text(version_texts, OUTER_ORDER)))


def protect_text(plain, version_texts):
    """The stored form of one entry: upper-case hex of the AES layer over
    the plain bytes scrambled in the stored order."""
    inner = derive_key_from_text(_ordered_text(version_texts, STORED_ORDER))
    return _outer_cipher(version_texts).encrypt(scramble_bytes(plain, inner)).hex().upper()


def open_text(stored, version_texts, order=STORED_ORDER):
    """What the client's opening of a stored entry gives with the order."""
    inner = derive_key_from_text(_ordered_text(version_texts, order))
    return unscramble_bytes(_outer_cipher(version_texts).decrypt(bytes.fromhex(stored)), inner)


def protected_texts(version_texts, server_base_address, session_secret=TEST_SESSION_SECRET):
    """The three stored entries by id."""
    return {
        SESSION_SECRET_ID: protect_text(session_secret, version_texts),
        SERVER_BASE_ADDRESS_ID: protect_text(server_base_address.encode("utf-16-le"), version_texts),
        CACHE_PASS_PHRASE_ID: protect_text(CACHE_PASS_PHRASE_TEXT.encode("utf-16-le"), version_texts),
    }
