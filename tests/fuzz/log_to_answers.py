#!/usr/bin/env python3
"""Turns the simulated server's call log of an edit (pwhost --trace, or
qvStandinLogText) into an input of the edit fuzz targets: the harness's own
answers first, then every reply the data library gave, in call order, each
ended by a zero byte (see tests/fuzz/fuzz_qvdata.h).

    log_to_answers.py LOG OUT [HARNESS_ANSWER ...]

Log lines that are not calls (notes, host-side events, pwhost's own output)
are skipped, and so are the calls that take no answer."""
import re
import sys

NO_ANSWER = {"QVPagewright", "QVSetTarsikHome", "QVSetKHVMethod", "QVSetOption",
             "QVDisconnect", "QVClose"}
CALL = re.compile(r'^(QV[A-Za-z]+)\(.*\)(?: = (.*))?$')


def unquote(text):
    """A C-escaped, double-quoted log text as bytes; None when not quoted."""
    if not text.startswith('"'):
        return None
    out = bytearray()
    i = 1
    while i < len(text):
        c = text[i]
        if c == '"':
            return bytes(out), text[i + 1:]
        if c == '\\':
            n = text[i + 1]
            if n == 'x':
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            out += {'\\': b'\\', '"': b'"', 'r': b'\r', 'n': b'\n', 't': b'\t'}[n]
            i += 2
            continue
        out += c.encode('latin-1')
        i += 1
    raise ValueError('unterminated text: ' + text)


def answers(lines):
    for line in lines:
        m = CALL.match(line.rstrip('\n'))
        if not m or m.group(1) in NO_ANSWER:
            continue
        result = m.group(2) or ''
        quoted = unquote(result)
        if m.group(1) == 'QVExecuteEx':
            text, rest = quoted
            yield (b'1' if rest.strip() == 'ok=1' else b'0') + text
        elif quoted is not None:
            yield quoted[0]
        else:
            yield result.encode('latin-1')


def main():
    with open(sys.argv[1], encoding='latin-1') as f:
        replies = list(answers(f))
    harness = [a.encode('latin-1') for a in sys.argv[3:]]
    with open(sys.argv[2], 'wb') as f:
        f.write(b'\0'.join(harness + replies))


if __name__ == '__main__':
    main()
