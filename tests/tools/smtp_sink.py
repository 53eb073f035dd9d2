#!/usr/bin/python3
"""A real SMTP server for the mail tests, on 127.0.0.1 and a free port.

Every message it accepts is saved into --dir as NNN.eml (the bytes as
received) beside NNN.json (envelope sender and recipients, whether the
session was encrypted and who logged in). Once it listens it prints
"PORT <n>" on a line of its own; it runs until stdin closes or it is killed.

  --user U --password P   require AUTH (plain text allowed, as on office servers)
  --cert C --key K        offer STARTTLS with this certificate
  --implicit-tls          speak TLS from the first byte (an smtps port)
  --reject-rcpt TEXT      answer 550 to recipients containing TEXT
  --hang                  accept connections but never greet (a dead server)
"""

import argparse
import asyncio
import json
import os
import socket
import ssl
import sys
import threading

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Sink:
    def __init__(self, folder, reject):
        self.folder = folder
        self.reject = reject
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.reject and self.reject in address:
            return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "%03d" % self.count)
        with open(base + ".eml.part", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".json", "w", encoding="utf-8") as f:
            json.dump(
                {
                    "mail_from": envelope.mail_from,
                    "rcpt_tos": envelope.rcpt_tos,
                    "tls": server.transport.get_extra_info("ssl_object") is not None,
                    "login": (session.auth_data.login.decode("utf-8", "replace")
                              if isinstance(session.auth_data, LoginPassword) else None),
                },
                f,
                ensure_ascii=False,
            )
        # The .eml appears only once complete, so a reader never sees half a file.
        os.replace(base + ".eml.part", base + ".eml")
        return "250 Message accepted for delivery"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dir", required=True)
    p.add_argument("--user")
    p.add_argument("--password")
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--implicit-tls", action="store_true")
    p.add_argument("--reject-rcpt")
    p.add_argument("--hang", action="store_true")
    args = p.parse_args()
    os.makedirs(args.dir, exist_ok=True)

    if args.hang:
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        s.listen(16)
        print("PORT %d" % s.getsockname()[1], flush=True)
        sys.stdin.read()
        return

    context = None
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login.decode() == args.user
              and auth_data.password.decode() == args.password)
        # handled=False: aiosmtpd answers 535 itself on a refusal.
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    handler = Sink(args.dir, args.reject_rcpt)
    kwargs = dict(hostname="smtp.test.local", auth_require_tls=False, loop=loop)
    if args.user:
        kwargs.update(authenticator=authenticate, auth_required=True)
    if context and not args.implicit_tls:
        kwargs["tls_context"] = context

    server = loop.run_until_complete(
        loop.create_server(lambda: SMTP(handler, **kwargs), host="127.0.0.1", port=0,
                           ssl=context if args.implicit_tls else None))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)

    def watch_stdin():
        sys.stdin.read()
        loop.call_soon_threadsafe(loop.stop)

    threading.Thread(target=watch_stdin, daemon=True).start()
    loop.run_forever()


if __name__ == "__main__":
    main()
