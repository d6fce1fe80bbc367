#!/usr/bin/env python3
"""Runs test_certificates under Wine between two OpenSSL steps.

Before: OpenSSL makes the PFX and certificate files the load tests read
(CERT_FIXTURES). After: OpenSSL reads the certificates, requests and PFX files
the program wrote (CERT_OUTPUT) and checks every byte that matters. The
program's GoogleTest report and one for these checks go to --results, so the
suite's summary counts both; any failure fails this ctest entry.
"""
import argparse
import base64
import datetime
import hashlib
import os
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

PASSWORD = "Secret1"
SUBJECT = ("CN = host1.example, O = Acme Widgets, OU = Ops, C = FR, L = Lyon, ST = Rhone, "
           "emailAddress = ops@acme.example")
NOT_AFTER = "310102030405Z"  # 2031-01-02 03:04:05 UTC
SERVER_AUTH = bytes.fromhex("300a06082b06010505070301")
CLIENT_AUTH = bytes.fromhex("300a06082b06010505070302")
# (file, extended key usage, with a request)
SAMPLES = [("server.pfx", SERVER_AUTH, True), ("client.p12", CLIENT_AUTH, True), ("plain.pfx", SERVER_AUTH, False)]


def openssl(*args, input_bytes=None):
    result = subprocess.run(["openssl", *args], input=input_bytes, capture_output=True)
    if result.returncode != 0:
        raise RuntimeError(f"openssl {' '.join(args)}: {result.stderr.decode(errors='replace').strip()}")
    return result.stdout, result.stderr


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def make_fixtures(folder):
    def out(name):
        return str(folder / name)
    openssl("genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048", "-out", out("rsa.key"))
    openssl("req", "-x509", "-key", out("rsa.key"), "-subj", "/CN=openssl-rsa", "-days", "30", "-out", out("rsa.pem"))
    openssl("x509", "-in", out("rsa.pem"), "-outform", "DER", "-out", out("rsa.der"))
    export = ["pkcs12", "-export", "-inkey", out("rsa.key"), "-in", out("rsa.pem")]
    openssl(*export, "-out", out("rsa_aes.pfx"), "-passout", "pass:")
    openssl(*export, "-out", out("rsa_aes_pw.pfx"), "-passout", "pass:" + PASSWORD)
    openssl(*export, "-legacy", "-out", out("rsa_legacy_pw.p12"), "-passout", "pass:" + PASSWORD)
    openssl(*export, "-keypbe", "PBE-SHA1-3DES", "-certpbe", "PBE-SHA1-3DES", "-macalg", "sha1",
            "-out", out("rsa_3des.pfx"), "-passout", "pass:")
    openssl("pkcs12", "-export", "-nokeys", "-in", out("rsa.pem"), "-out", out("cert_only.pfx"), "-passout", "pass:")
    # A second certificate for the same key, beside copies of the PFX.
    openssl("req", "-x509", "-key", out("rsa.key"), "-subj", "/CN=companion", "-days", "30",
            "-out", out("companion_crt.crt"))
    openssl("x509", "-in", out("companion_crt.crt"), "-outform", "DER", "-out", out("companion_cer.cer"))
    shutil.copy(out("rsa_aes.pfx"), out("companion_crt.pfx"))
    shutil.copy(out("rsa_aes.pfx"), out("companion_cer.p12"))
    (folder / "empty.pfx").write_bytes(b"")
    openssl("genpkey", "-genparam", "-algorithm", "DSA", "-pkeyopt", "dsa_paramgen_bits:1024", "-out", out("dsa.param"))
    openssl("genpkey", "-paramfile", out("dsa.param"), "-out", out("dsa.key"))
    openssl("req", "-x509", "-key", out("dsa.key"), "-subj", "/CN=openssl-dsa", "-days", "30",
            "-outform", "DER", "-out", out("dsa.der"))
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-keyout", out("ec.key"),
            "-subj", "/CN=openssl-ec", "-days", "30", "-outform", "DER", "-out", out("ec.der"))


# --- a little DER reading: (tag, header length, content) --------------------------

def der_item(data, at=0):
    tag = data[at]
    length = data[at + 1]
    header = 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[at + 2:at + 2 + count], "big")
        header += count
    return tag, data[at:at + header + length], data[at + header:at + header + length]


def der_children(content):
    items, at = [], 0
    while at < len(content):
        tag, whole, inner = der_item(content, at)
        items.append((tag, whole, inner))
        at += len(whole)
    return items


def oid_text(content):
    arcs = [content[0] // 40, content[0] % 40]
    value = 0
    for byte in content[1:]:
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            arcs.append(value)
            value = 0
    return ".".join(map(str, arcs))


class Checks:
    def __init__(self):
        self.results = []

    def check(self, name, condition, detail=""):
        self.results.append((name, bool(condition), detail))
        print(f"{'PASS' if condition else 'FAIL'}  {name}" + ("" if condition else f": {detail}"))

    def run(self, name, function):
        try:
            function()
        except Exception as error:  # a step that cannot run is a failed check
            self.check(name, False, str(error))

    def write_report(self, path):
        suite = ET.Element("testsuite", name="OpenSslChecks", tests=str(len(self.results)),
                           failures=str(sum(1 for _, ok, _ in self.results if not ok)))
        for name, ok, detail in self.results:
            case = ET.SubElement(suite, "testcase", name=name, classname="OpenSslChecks", status="run",
                                 result="completed")
            if not ok:
                ET.SubElement(case, "failure", message=detail)
        root = ET.Element("testsuites")
        root.append(suite)
        ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)


def check_certificate(checks, name, der, purpose, started):
    _, _, certificate = der_item(der)
    tbs_tag, tbs_whole, tbs = der_item(certificate)
    _, _, signature_bits = der_children(certificate)[2]
    fields = der_children(tbs)
    version, serial, algorithm, issuer, validity, subject, key_info, extensions = fields[:8]
    checks.check(f"{name}: version 3", version[0] == 0xA0 and version[2] == b"\x02\x01\x02", version[1].hex())
    checks.check(f"{name}: serial of 16 bytes, positive", len(serial[2]) == 16 and serial[2][0] < 0x80,
                 serial[2].hex())
    checks.check(f"{name}: signed with SHA-1 and RSA",
                 oid_text(der_children(algorithm[2])[0][2]) == "1.2.840.113549.1.1.5")
    checks.check(f"{name}: issuer is the subject", issuer[1] == subject[1])
    not_before, not_after = der_children(validity[2])
    checks.check(f"{name}: not after 2031-01-02 03:04:05 UTC", not_after[2].decode() == NOT_AFTER,
                 not_after[2].decode())
    begin = datetime.datetime.strptime(not_before[2].decode(), "%y%m%d%H%M%SZ").replace(tzinfo=datetime.timezone.utc)
    checks.check(f"{name}: not before is the creation time",
                 started - datetime.timedelta(seconds=5) <= begin <= datetime.datetime.now(datetime.timezone.utc),
                 str(begin))
    public_key_bits = der_children(key_info[2])[1][2][1:]  # without the unused-bits byte
    key_id = hashlib.sha1(public_key_bits).digest()

    listed = [der_children(item[2]) for item in der_children(der_children(extensions[2])[0][2])]
    oids = [oid_text(parts[0][2]) for parts in listed]
    checks.check(f"{name}: five extensions in order", oids == ["2.5.29.14", "2.5.29.15", "2.5.29.37", "2.5.29.19",
                                                               "2.5.29.1"], str(oids))
    checks.check(f"{name}: no extension critical", all(len(parts) == 2 for parts in listed))
    values = {oid_text(parts[0][2]): parts[-1][2] for parts in listed}
    checks.check(f"{name}: subject key identifier is the SHA-1 of the public key",
                 values.get("2.5.29.14") == b"\x04\x14" + key_id, values.get("2.5.29.14", b"").hex())
    checks.check(f"{name}: key usage is the one byte B8", values.get("2.5.29.15") == bytes.fromhex("030200b8"),
                 values.get("2.5.29.15", b"").hex())
    checks.check(f"{name}: extended key usage", values.get("2.5.29.37") == purpose, values.get("2.5.29.37", b"").hex())
    checks.check(f"{name}: basic constraints CA, path length 1",
                 values.get("2.5.29.19") == bytes.fromhex("30060101ff020101"), values.get("2.5.29.19", b"").hex())
    authority = {item[0]: item for item in der_children(der_item(values.get("2.5.29.1", b"\x30\x00"))[2])}
    checks.check(f"{name}: authority key identifier repeats the subject key identifier",
                 0x80 in authority and authority[0x80][2] == key_id)
    checks.check(f"{name}: authority issuer is the subject",
                 0xA1 in authority and subject[1] in authority[0xA1][2])
    checks.check(f"{name}: authority serial is the serial", 0x82 in authority and authority[0x82][2] == serial[2])
    return tbs_whole, signature_bits[1:]


def check_sample(checks, output, scratch, file, purpose, with_request, started):
    pfx = output / file
    work = scratch / ("work-" + file)
    work.mkdir(exist_ok=True)
    cert_pem, key_pem = work / "cert.pem", work / "key.pem"
    openssl("pkcs12", "-in", str(pfx), "-passin", "pass:", "-nokeys", "-clcerts", "-out", str(cert_pem))
    openssl("pkcs12", "-in", str(pfx), "-passin", "pass:", "-nocerts", "-nodes", "-out", str(key_pem))
    certificate_key, _ = openssl("x509", "-in", str(cert_pem), "-noout", "-pubkey")
    private_public, _ = openssl("pkey", "-in", str(key_pem), "-pubout")
    checks.check(f"{file}: the PFX's key belongs to its certificate", certificate_key == private_public)
    subject, _ = openssl("x509", "-in", str(cert_pem), "-noout", "-subject")
    checks.check(f"{file}: subject", subject.decode().strip() == "subject=" + SUBJECT, subject.decode().strip())
    text, _ = openssl("x509", "-in", str(cert_pem), "-noout", "-text")
    text = text.decode()
    usage_name = "TLS Web Server Authentication" if purpose == SERVER_AUTH else "TLS Web Client Authentication"
    checks.check(f"{file}: OpenSSL reads the extensions",
                 "CA:TRUE, pathlen:1" in text and usage_name in text and
                 "Digital Signature, Key Encipherment, Data Encipherment, Key Agreement" in text)
    der, _ = openssl("x509", "-in", str(cert_pem), "-outform", "DER")
    tbs, signature = check_certificate(checks, file, der, purpose, started)
    (work / "tbs.der").write_bytes(tbs)
    (work / "signature.bin").write_bytes(signature)
    (work / "public.pem").write_bytes(certificate_key)
    verified, _ = openssl("dgst", "-sha1", "-verify", str(work / "public.pem"), "-signature",
                          str(work / "signature.bin"), str(work / "tbs.der"))
    checks.check(f"{file}: self-signature verifies", b"Verified OK" in verified)

    request = output / (file[:-4] + ".csr")
    checks.check(f"{file}: request file {'written' if with_request else 'absent'}", request.exists() == with_request)
    if not with_request or not request.exists():
        return
    _, verify_log = openssl("req", "-in", str(request), "-verify", "-noout")
    checks.check(f"{file}: request signature verifies", b"verify OK" in verify_log, verify_log.decode())
    request_subject, _ = openssl("req", "-in", str(request), "-noout", "-subject")
    checks.check(f"{file}: request subject", request_subject == subject, request_subject.decode())
    request_key, _ = openssl("req", "-in", str(request), "-noout", "-pubkey")
    checks.check(f"{file}: request key is the certificate's", request_key == certificate_key)
    request_der, _ = openssl("req", "-in", str(request), "-outform", "DER")
    pem = request.read_bytes()
    lines = pem.split(b"\r\n")
    body = lines[1:-2]
    b64 = b"".join(body)
    checks.check(f"{file}: request PEM header, footer and CR LF line ends",
                 lines[0] == b"-----BEGIN NEW CERTIFICATE REQUEST-----" and
                 lines[-2] == b"-----END NEW CERTIFICATE REQUEST-----" and lines[-1] == b"" and
                 b"\n" not in pem.replace(b"\r\n", b""))
    checks.check(f"{file}: request PEM lines of 64 characters, the last shorter",
                 all(len(line) == 64 for line in body[:-1]) and 0 < len(body[-1]) <= 64,
                 str([len(line) for line in body]))
    checks.check(f"{file}: request PEM length B + 2L + 76",
                 len(pem) == len(b64) + 2 * (len(body) + 2) + 76 and len(b64) == (len(request_der) + 2) // 3 * 4)
    checks.check(f"{file}: request PEM holds the request's DER", base64.b64decode(b64) == request_der)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--results", required=True)
    parser.add_argument("--scratch", required=True)
    args = parser.parse_args()

    scratch = Path(args.scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    fixtures, output = scratch / "fixtures", scratch / "output"
    fixtures.mkdir(parents=True)
    output.mkdir()
    results = Path(args.results)
    results.mkdir(parents=True, exist_ok=True)
    checks = Checks()
    checks.run("OpenSSL makes the fixtures",
               lambda: (make_fixtures(fixtures), checks.check("OpenSSL makes the fixtures", True)))

    started = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
    environment = dict(os.environ, CERT_FIXTURES=windows_path(fixtures), CERT_OUTPUT=windows_path(output))
    program = subprocess.run([args.wine_run, args.program,
                              "--gtest_output=xml:" + windows_path(results / "test_certificates.xml")],
                             cwd=os.path.dirname(args.program), env=environment)

    for file, purpose, with_request in SAMPLES:
        checks.run(f"{file}: OpenSSL reads it",
                   lambda f=file, p=purpose, r=with_request: check_sample(checks, output, scratch, f, p, r, started))
    checks.write_report(results / "test_certificates_openssl.xml")
    failed = sum(1 for _, ok, _ in checks.results if not ok)
    print(f"OpenSSL checks: {len(checks.results) - failed} passed, {failed} failed")
    return 1 if failed or program.returncode != 0 else 0


if __name__ == "__main__":
    sys.exit(main())
