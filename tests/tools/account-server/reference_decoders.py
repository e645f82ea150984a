"""The client's server-data decoders, written straight from their description, as a model.

The account server's encoders are checked against these: whatever the encoders produce must come
back out of the decoders the client runs. Characters stand for bytes; a character outside the
alphabet has the value -1 (all bits set), and the last term of a group is not masked.
"""

ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"


def _value(ch):
    return ALPHABET.find(ch)  # -1 when absent


def _first(a, b):
    return ((a << 2) & 0xFC) | ((b >> 4) & 0x03)


def _second(b, c):
    return ((b << 4) & 0xF0) | ((c >> 2) & 0x0F)


def _third(c, d):
    return (((c << 6) & 0xC0) | d) & 0xFFFF  # d of -1 gives 0xFFFF


def base64_decode_text(s):
    n = len(s)
    if n > 0 and s[n - 1] == "=":
        n -= 1
    if n > 0 and s[n - 1] == "=":
        n -= 1
    values = [_value(ch) for ch in s[:n]]
    out = []
    for i in range(0, n - n % 4, 4):
        a, b, c, d = values[i:i + 4]
        out += [_first(a, b), _second(b, c), _third(c, d)]
    rest = values[n - n % 4:]
    if len(rest) >= 2:
        out.append(_first(rest[0], rest[1]))
    if len(rest) == 3:
        out.append(_second(rest[1], rest[2]))
    return "".join(chr(code) for code in out)


def swap(t, k):
    return t[k:2 * k] + t[:k] + t[2 * k:]


def decode_line_address(s):
    t = s
    for k in (4, 7, 3):
        t = base64_decode_text(swap(t, k))
    return t


def decode_dial_user(s):
    return base64_decode_text(base64_decode_text(s))


def decode_dial_password(s):
    t = s
    for _ in range(4):
        t = base64_decode_text(t)
    for k in (5, 5, 6, 4):
        t = base64_decode_text(swap(t, k))
    return t
