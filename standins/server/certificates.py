#!/usr/bin/python3
"""The test certificate authority and the stand-in's server certificates.

    certificates.py DIR             makes what is missing (or about to expire) in DIR
    certificates.py --root-entry DIR
        prints the authority's entry of a Windows root store in the registry:
        its SHA-1 thumbprint (the key's name) and its "Blob" value in hex

DIR receives, each certificate as PEM with its key beside it (NAME.key):
    authority.pem    the test authority that the test prefixes trust as a root
    good.pem         "localhost", issued by the test authority
    untrusted.pem    "localhost", issued by another authority nobody trusts (with
                     that authority's certificate after it)
    other_host.pem   "elsewhere.invalid", issued by the test authority
    expired.pem      "localhost", issued by the test authority, expired a week ago
The files are made on this machine and never kept in the repository; a
folder whose certificates are complete and valid for another day is left
as it is, so that a prefix that trusts its authority keeps working.
"""

import datetime
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID

HOST = "localhost"
OTHER_HOST = "elsewhere.invalid"
SERVER_CERTIFICATES = ("good", "untrusted", "other_host", "expired")
VALIDITY = datetime.timedelta(days=365)


def new_key():
    return rsa.generate_private_key(public_exponent=65537, key_size=2048)


def name(common_name):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Quillory tests"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common_name)])


def authority(common_name, now):
    key = new_key()
    certificate = (x509.CertificateBuilder()
                   .subject_name(name(common_name)).issuer_name(name(common_name))
                   .public_key(key.public_key()).serial_number(x509.random_serial_number())
                   .not_valid_before(now - datetime.timedelta(days=1)).not_valid_after(now + VALIDITY)
                   .add_extension(x509.BasicConstraints(ca=True, path_length=0), critical=True)
                   .add_extension(x509.KeyUsage(False, False, False, False, False, True, True, False, False),
                                  critical=True)
                   .add_extension(x509.SubjectKeyIdentifier.from_public_key(key.public_key()), critical=False)
                   .sign(key, hashes.SHA256()))
    return certificate, key


def server(host, issuer, issuer_key, not_before, not_after):
    key = new_key()
    certificate = (x509.CertificateBuilder()
                   .subject_name(name(host)).issuer_name(issuer.subject)
                   .public_key(key.public_key()).serial_number(x509.random_serial_number())
                   .not_valid_before(not_before).not_valid_after(not_after)
                   .add_extension(x509.BasicConstraints(ca=False, path_length=None), critical=True)
                   .add_extension(x509.KeyUsage(True, False, True, False, False, False, False, False, False),
                                  critical=True)
                   .add_extension(x509.ExtendedKeyUsage([ExtendedKeyUsageOID.SERVER_AUTH]), critical=False)
                   .add_extension(x509.SubjectAlternativeName([x509.DNSName(host)]), critical=False)
                   .add_extension(x509.AuthorityKeyIdentifier.from_issuer_public_key(issuer_key.public_key()),
                                  critical=False)
                   .sign(issuer_key, hashes.SHA256()))
    return certificate, key


def write(folder, stem, certificate, key, issuer=None):
    """The certificate, followed by its issuer's when given (the chain a
    server sends), and its key."""
    with open(os.path.join(folder, stem + ".key"), "wb") as out:
        out.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.TraditionalOpenSSL,
                                    serialization.NoEncryption()))
    with open(os.path.join(folder, stem + ".pem"), "wb") as out:
        out.write(certificate.public_bytes(serialization.Encoding.PEM))
        if issuer is not None:
            out.write(issuer.public_bytes(serialization.Encoding.PEM))


def complete(folder, now):
    """Whether every file is there and the authority and the good certificate
    stay valid for another day."""
    stems = ("authority",) + SERVER_CERTIFICATES
    if not all(os.path.exists(os.path.join(folder, s + ext)) for s in stems for ext in (".pem", ".key")):
        return False
    for stem in ("authority", "good"):
        with open(os.path.join(folder, stem + ".pem"), "rb") as source:
            certificate = x509.load_pem_x509_certificate(source.read())
        # Debian's python3-cryptography has no not_valid_after_utc yet.
        expires = certificate.not_valid_after.replace(tzinfo=datetime.timezone.utc)
        if expires < now + datetime.timedelta(days=1):
            return False
    return True


def make(folder):
    now = datetime.datetime.now(datetime.timezone.utc)
    os.makedirs(folder, exist_ok=True)
    if complete(folder, now):
        return
    trusted, trusted_key = authority("Quillory Test Authority", now)
    other, other_key = authority("Untrusted Test Authority", now)
    valid_from, valid_to = now - datetime.timedelta(days=1), now + VALIDITY
    made = {
        "good": server(HOST, trusted, trusted_key, valid_from, valid_to),
        "untrusted": server(HOST, other, other_key, valid_from, valid_to),
        "other_host": server(OTHER_HOST, trusted, trusted_key, valid_from, valid_to),
        "expired": server(HOST, trusted, trusted_key, now - datetime.timedelta(days=30),
                          now - datetime.timedelta(days=7)),
    }
    for stem, (certificate, key) in made.items():
        # The untrusted chain comes whole: the client has its root and
        # refuses it as a root it does not trust.
        write(folder, stem, certificate, key, other if stem == "untrusted" else None)
    # The authority last: its presence with the others marks a complete folder.
    write(folder, "authority", trusted, trusted_key)


def root_entry(folder):
    """The registry form of a stored certificate: a list of properties, each
    a 32-bit id, a 32-bit 1 and a 32-bit length (little-endian) before its
    bytes; the one property here is the encoded certificate itself (32)."""
    with open(os.path.join(folder, "authority.pem"), "rb") as source:
        certificate = x509.load_pem_x509_certificate(source.read())
    der = certificate.public_bytes(serialization.Encoding.DER)
    blob = (32).to_bytes(4, "little") + (1).to_bytes(4, "little") + len(der).to_bytes(4, "little") + der
    return certificate.fingerprint(hashes.SHA1()).hex().upper(), blob.hex()


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--root-entry":
        print(*root_entry(sys.argv[2]))
    elif len(sys.argv) == 2:
        make(sys.argv[1])
    else:
        sys.exit("usage: certificates.py DIR | --root-entry DIR")
