#!/usr/bin/python3
"""Reads a received message as a mail client does (Python's email package)
and prints what a reader sees as JSON: decoded headers, the text, and each
attachment's decoded name with the SHA-256 of its decoded bytes."""

import email
import email.header
import email.policy
import email.utils
import hashlib
import json
import sys


def mailboxes(raw_msg, name):
    """(display name, address) pairs of an address header. The names are
    decoded by the RFC 2047 rule that whitespace between adjacent encoded
    words is dropped: the new header parser of Python 3.11 keeps a blank
    there, which Thunderbird, Outlook and the Japanese mail programs do not."""
    out = []
    for display, address in email.utils.getaddresses(raw_msg.get_all(name, [])):
        out.append([str(email.header.make_header(email.header.decode_header(display))), address])
    return out


def main():
    with open(sys.argv[1], "rb") as f:
        raw = f.read()
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    legacy = email.message_from_bytes(raw, policy=email.policy.compat32)
    out = {
        "header_names": [k for k in msg.keys()],
        "subject": str(msg["Subject"] or ""),
        "from": mailboxes(legacy, "From"),
        "to": mailboxes(legacy, "To"),
        "cc": mailboxes(legacy, "Cc"),
        "date": str(msg["Date"] or ""),
        "date_valid": False,
        "message_id": str(msg["Message-ID"] or ""),
        "mime_version": str(msg["MIME-Version"] or ""),
        "raw_is_ascii": all(b < 128 for b in raw),
        "longest_line": max((len(l) for l in raw.split(b"\r\n")), default=0),
        "bare_lf": b"\n" in raw.replace(b"\r\n", b""),
        "defects": [str(d) for part in msg.walk() for d in part.defects],
        "body": None,
        "charset": None,
        "attachments": [],
    }
    try:
        out["date_valid"] = email.utils.parsedate_to_datetime(out["date"]).tzinfo is not None
    except Exception:
        pass
    for part in msg.walk():
        if part.is_multipart():
            continue
        if part.get_content_disposition() == "attachment":
            data = part.get_payload(decode=True) or b""
            out["attachments"].append({
                "filename": part.get_filename(),
                "content_type": part.get_content_type(),
                "size": len(data),
                "sha256": hashlib.sha256(data).hexdigest(),
            })
        elif part.get_content_type() == "text/plain" and out["body"] is None:
            out["body"] = part.get_content()
            out["charset"] = part.get_content_charset()
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
