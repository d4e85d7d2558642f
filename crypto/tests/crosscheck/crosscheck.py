#!/usr/bin/python3
"""Cross-check of the crypto classes against the server's implementation.

Writes jobs for crypto_crosscheck.exe, runs it once under Wine (starting it
again only when Wine could not start it) and compares each result with what
standins/server/quillory_crypto.py computes: unscrambling, the software AES's
key and IV derivation and CBC, the key derived from a text, RSA buffers and
files with chaining and byte order, key blobs, and the protected texts.

    crosscheck.py EXE --server-base-address URL --version-text NAME=VALUE ...
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "standins", "server"))
import quillory_crypto as q  # noqa: E402

from cryptography.hazmat.primitives.asymmetric import rsa  # noqa: E402


class CrossCheck:
    def __init__(self):
        self.jobs = []
        self.checks = []  # (name, expected hex or a predicate)

    def job(self, *fields):
        self.jobs.append(" ".join(f if f else "-" for f in fields))

    def expect(self, name, expected):
        self.checks.append((name, expected))


def hexof(data):
    return data.hex() if data else "-"


def unscrambling(check, rng):
    keys = [bytes([5, 3, 0, 0, 0, 0, 0]), bytes([255, 255, 255, 255, 255, 255, 255]),
            bytes([7, 200, 0, 1, 2, 3, 4, 99, 98]), bytes([1, 2, 255, 0x10, 0, 0, 0x80])]
    keys += [rng.randbytes(7 + rng.randrange(6)) for _ in range(8)]
    for k, key in enumerate(keys):
        for n in (1, 2, 3, 16, 101, 1000):
            data = rng.randbytes(n)
            name = "unscramble.%d.%d" % (k, n)
            check.job("unscramble", name, hexof(key), hexof(data))
            check.expect(name, hexof(q.unscramble_bytes(data, key)))
            if n >= 2:
                # What the server scrambles, the client gets back.
                name = "scrambled.%d.%d" % (k, n)
                check.job("unscramble", name, hexof(key), hexof(q.scramble_bytes(data, key)))
                check.expect(name, hexof(data))
    check.job("unscramble", "unscramble.shortkey", hexof(bytes(6)), hexof(b"data"))
    check.expect("unscramble.shortkey", "false")
    check.job("unscramble", "unscramble.empty", hexof(bytes(7)), "-")
    check.expect("unscramble.empty", "crypt-error-3")


# The software AES runs on either engine: the lookup tables, or the
# processor's AES instructions where it has them.
AES_ENGINES = ("tables", "instructions")


def aes(check, rng):
    secrets = []
    # Every value of the first perturbation byte, with sine and with cosine;
    # 0 takes the first non-zero byte from index 2 on.
    for b in range(256):
        for high in (False, True):
            s = bytearray(rng.randbytes(9))
            s[2] = b
            s[4] = rng.randrange(128, 256) if high else rng.randrange(0, 128)
            secrets.append(bytes(s))
    secrets += [bytes(5), bytes([0, 0, 0, 0, 200]), bytes([9, 9, 0, 0, 0, 0]), b"\x00" * 40,
                rng.randbytes(5), rng.randbytes(6), rng.randbytes(7), rng.randbytes(276), rng.randbytes(1000)]
    for i, secret in enumerate(secrets):
        plain = rng.randbytes(rng.choice((0, 1, 15, 16, 17, 100)))
        key, iv, consumed = q.aes_key_iv(secret)
        for engine in AES_ENGINES:
            name = "aes.%s.%d" % (engine, i)
            check.job("aes", name, engine, hexof(secret), hexof(plain))
            check.expect(name + ".key", hexof(key))
            check.expect(name + ".iv", hexof(iv))
            check.expect(name + ".secret", hexof(consumed))
            check.expect(name + ".cipher", hexof(q.AesCbc(key, iv).encrypt(plain)))
    # Lengths around the groups of blocks that the instructions decrypt
    # together, and a long one.
    for i, length in enumerate([rng.randrange(200) for _ in range(10)] + [112, 127, 128, 129, 143, 144, 5000]):
        secret, plain = rng.randbytes(64), rng.randbytes(length)
        cipher = q.AesCbc.from_secret(secret).encrypt(plain)
        for engine in AES_ENGINES:
            name = "aesdecrypt.%s.%d" % (engine, i)
            check.job("aesdecrypt", name, engine, hexof(secret), hexof(cipher))
            check.expect(name, hexof(plain))
    # A last block that is no padding is refused.
    secret = rng.randbytes(64)
    key, iv, _ = q.aes_key_iv(secret)
    bad = q.AesCbc(key, iv).encrypt(bytes(15) + b"\x05")[:16]
    for engine in AES_ENGINES:
        name = "aesdecrypt.%s.badpad" % engine
        check.job("aesdecrypt", name, engine, hexof(secret), hexof(bad))
        check.expect(name, "crypt-error-17")


def derived_keys(check):
    for i, text in enumerate(("", "a", "Quillory", "България", "Quillory 3.0.0.0Quillory Window" * 20)):
        name = "derive.%d" % i
        check.job("derive", name, hexof(text.encode("utf-16-le")))
        check.expect(name, hexof(q.derive_key_from_text(text)))


def rsa_blocks(check, rng):
    for bits in (1024, 2048):
        key = rsa.generate_private_key(public_exponent=65537, key_size=bits)
        public = key.public_key()
        public_blob, private_blob = q.public_key_blob(public), q.private_key_blob(key)
        check.job("exportpublic", "export.%d" % bits, hexof(private_blob))
        check.expect("export.%d" % bits, hexof(public_blob))
        block = bits // 8
        for flags in (0, q.CRYPT_OAEP):
            chunk = block - (42 if flags else 11)
            for chained in (1, 0):
                for n in (1, chunk, 2 * chunk, 2 * chunk + 1, 700):
                    data = rng.randbytes(n)
                    tag = "%d.%d.%d.%d" % (bits, flags, chained, n)
                    # Client to server: the client encrypts with the server's key.
                    name = "rsaencrypt." + tag
                    check.job("rsaencrypt", name, hexof(public_blob), str(flags), str(chained), hexof(data))
                    blocks = -(-n // chunk)
                    check.expect(name, lambda got, key=key, flags=flags, chained=chained, data=data,
                                 size=2 * block * blocks:
                                 len(got) == size and
                                 q.rsa_decrypt(key, bytes.fromhex(got), chained, flags) == data)
                    # Server to client: the client decrypts with its own key.
                    name = "rsadecrypt." + tag
                    cipher = q.rsa_encrypt(public, data, chained, flags)
                    check.job("rsadecrypt", name, hexof(private_blob), str(flags), str(chained), hexof(cipher))
                    check.expect(name, hexof(data))
        for little_endian in (0, 1):
            data = rng.randbytes(600)
            tag = "%d.%d" % (bits, little_endian)
            name = "rsaencryptfile." + tag
            check.job("rsaencryptfile", name, hexof(public_blob), "0", "1", str(little_endian), hexof(data))
            check.expect(name, lambda got, key=key, little_endian=little_endian, data=data:
                         q.rsa_decrypt(key, bytes.fromhex(got), True, 0, bool(little_endian)) == data)
            name = "rsadecryptfile." + tag
            cipher = q.rsa_encrypt(public, data, True, 0, bool(little_endian))
            check.job("rsadecryptfile", name, hexof(private_blob), "0", "1", str(little_endian), hexof(cipher))
            check.expect(name, hexof(data))


def protected_texts(check, version_texts, server_base_address):
    stored = q.protected_texts(version_texts, server_base_address)
    for entry in (1, 2, 3):
        name = "stored.%d" % entry
        check.job("stored", name, str(entry))
        check.expect(name + ".stored", stored[entry])
    check.expect("stored.1.open", hexof(q.TEST_SESSION_SECRET))
    check.expect("stored.2.open", hexof(server_base_address.encode("utf-16-le")))
    check.expect("stored.3.open", hexof(q.CACHE_PASS_PHRASE_TEXT.encode("utf-16-le")))
    orders = [q.STORED_ORDER, q.OUTER_ORDER, (3, 1, 4, 0, 5, 2, 6, 7), (1, 0, 3, 2, 5, 4, 7, 6),
              (6, 7, 0, 1, 2, 3, 4, 5), (3, 1, 4), ()]
    for i, order in enumerate(orders):
        name = "descramble.%d" % i
        check.job("descramble", name, hexof(bytes(order)))
        check.expect(name, hexof(q.open_text(stored[1], version_texts, order)))


# A nested wine call now and then fails to start the program at all ("ShellExecuteEx
# failed: Internal error"); such a start is tried again, a few times.
START_ATTEMPTS = 4


def run_jobs(exe, folder):
    """Runs the program over folder/jobs.txt under Wine; its results by name, or None.

    The program creates results.txt before its first job, so a run that leaves no
    results file never started: only that is retried. Once the program has run,
    its exit code and its results stand as they are."""
    results_path = os.path.join(folder, "results.txt")
    for attempt in range(1, START_ATTEMPTS + 1):
        if os.path.exists(results_path):
            os.remove(results_path)
        run = subprocess.run(["wine", exe, "jobs.txt", "results.txt"], cwd=folder)
        if os.path.exists(results_path):
            break
        print("crypto_crosscheck.exe did not start (attempt %d of %d, wine exit code %d)"
              % (attempt, START_ATTEMPTS, run.returncode))
        if attempt < START_ATTEMPTS:
            time.sleep(attempt)
    else:
        print("crypto_crosscheck.exe could not be started under Wine")
        return None
    if run.returncode != 0:
        print("crypto_crosscheck.exe failed with %d" % run.returncode)
        return None
    results = {}
    with open(results_path) as lines:
        for line in lines:
            name, _, value = line.strip().partition(" ")
            results[name] = value
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--server-base-address", required=True)
    parser.add_argument("--version-text", action="append", default=[])
    args = parser.parse_args()
    version_texts = dict(item.split("=", 1) for item in args.version_text)

    rng = random.Random(20240611)
    check = CrossCheck()
    unscrambling(check, rng)
    aes(check, rng)
    derived_keys(check)
    rsa_blocks(check, rng)
    protected_texts(check, version_texts, args.server_base_address)

    with tempfile.TemporaryDirectory(prefix="crypto-crosscheck-") as folder:
        with open(os.path.join(folder, "jobs.txt"), "w") as jobs:
            jobs.write("\n".join(check.jobs) + "\n")
        results = run_jobs(os.path.abspath(args.exe), folder)
    if results is None:
        return 1

    checks = check.checks
    if results.get("engine.instructions") != "yes":
        print("this processor has no AES instructions: the AES checks run on the lookup tables only")
        checks = [(name, expected) for name, expected in checks if ".instructions." not in name]
    failures = 0
    for name, expected in checks:
        got = results.get(name)
        try:
            ok = got is not None and (expected(got) if callable(expected) else got == expected)
        except ValueError:
            ok = False
        if not ok:
            failures += 1
            if failures <= 20:
                print("MISMATCH %s\n  ours:   %s\n  server: %s" % (
                    name, (got or "(none)")[:200], "(check)" if callable(expected) else expected[:200]))
    print("%d of %d cross-checks agree" % (len(checks) - failures, len(checks)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
