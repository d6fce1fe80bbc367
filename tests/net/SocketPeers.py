#!/usr/bin/env python3
"""Runs test_socket_peers against servers and a client that live on the Linux
side: socat echo servers on 127.0.0.1 and ::1, a UDP echo, and a socat client that connects to the test's listener. Every peer is started
here, on loopback only, and stopped when the program ends; the ports go to the
program in TESSARO_PEER_* variables.

usage: SocketPeers.py WINE_RUN PROGRAM.exe [program arguments...]
"""
import os
import signal
import socket
import subprocess
import sys
import time

def free_port(family, kind, host):
    with socket.socket(family, kind) as s:
        s.bind((host, 0))
        return s.getsockname()[1]


def wait_listening(family, host, port, seconds=10.0):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.socket(family, socket.SOCK_STREAM) as s:
                s.settimeout(0.2)
                s.connect((host, port))
                return True
        except OSError:
            time.sleep(0.05)
    return False


def main():
    wine_run, program, args = sys.argv[1], sys.argv[2], sys.argv[3:]
    ports = {
        "ECHO4": free_port(socket.AF_INET, socket.SOCK_STREAM, "127.0.0.1"),
        "ECHO6": free_port(socket.AF_INET6, socket.SOCK_STREAM, "::1"),
        "UDP4": free_port(socket.AF_INET, socket.SOCK_DGRAM, "127.0.0.1"),
        "LISTEN": free_port(socket.AF_INET, socket.SOCK_STREAM, "127.0.0.1"),
    }
    commands = [
        ["socat", f"TCP4-LISTEN:{ports['ECHO4']},bind=127.0.0.1,reuseaddr,fork", "PIPE"],
        ["socat", f"TCP6-LISTEN:{ports['ECHO6']},bind=[::1],reuseaddr,fork", "PIPE"],
        ["socat", f"UDP4-RECVFROM:{ports['UDP4']},bind=127.0.0.1,fork", "PIPE"],
        # Keeps trying until the program's listener is up, sends one line, half-closes.
        ["sh", "-c", f"echo hello-from-linux | socat -t 5 - TCP4:127.0.0.1:{ports['LISTEN']},retry=600,interval=0.05"],
    ]
    peers = []
    status = 1
    try:
        for command in commands:
            peers.append(subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, start_new_session=True))
        ready = (wait_listening(socket.AF_INET, "127.0.0.1", ports["ECHO4"]) and
                 wait_listening(socket.AF_INET6, "::1", ports["ECHO6"]))
        if not ready:
            print("SocketPeers.py: a Linux peer did not start", file=sys.stderr)
            return 1
        env = dict(os.environ)
        env.update({f"TESSARO_PEER_{name}": str(port) for name, port in ports.items()})
        status = subprocess.run([wine_run, program] + args, env=env, timeout=300).returncode
    finally:
        for peer in peers:
            try:
                os.killpg(peer.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for peer in peers:
            try:
                peer.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(peer.pid, signal.SIGKILL)
                peer.wait()
    return status


if __name__ == "__main__":
    sys.exit(main())
