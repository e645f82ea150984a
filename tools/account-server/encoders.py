"""Encoders for the texts the account server never sends in clear.

The client undoes three layered encodings: line addresses, dial user names and dial passwords.
Each layer of its decoders swaps two leading segments of the text and then base64-decodes it,
treating every character as one byte. These routines run the layers backwards.

Assumptions the client's decoder imposes:
- Base64 is written WITHOUT "=" padding. A segment swap moves characters from the end of a
  layer's text to its middle, and the decoder only forgives "=" at the very end; unpadded base64
  decodes the same, since the decoder also reads a trailing group of two or three characters.
- A text is a string of characters 0 to 255 (one character per byte); anything wider cannot
  come out of the decoder and is refused.
"""

import base64


def swap(text, k):
    """The decoder's segment swap: characters k+1..2k, then 1..k, then the rest."""
    return text[k:2 * k] + text[:k] + text[2 * k:]


def unswap(text, k):
    """Inverse of swap(., k) for a text of any length.

    With 2k or more characters the swap exchanges two halves of equal length and is its own
    inverse; with fewer the second piece is short, so the first k characters moved behind it.
    """
    n = len(text)
    if n <= k:
        return text
    if n >= 2 * k:
        return swap(text, k)
    return text[n - k:] + text[:n - k]


def base64_encode_text(text):
    """Unpadded base64 of a text whose characters are byte values."""
    try:
        raw = text.encode("latin-1")
    except UnicodeEncodeError as error:
        raise ValueError("only characters 0 to 255 can be encoded: %r" % text) from error
    return base64.b64encode(raw).decode("ascii").rstrip("=")


def _layer(text, k):
    """One decoder layer run backwards: the decoder swaps by k, then decodes."""
    return unswap(base64_encode_text(text), k)


def encode_line_address(address):
    """Inverse of the client's line-address decoder (swaps 4, 7, 3 from the outside in)."""
    text = address
    for k in (3, 7, 4):
        text = _layer(text, k)
    return text


def encode_dial_user(user):
    """The dial user name is base64 twice."""
    return base64_encode_text(base64_encode_text(user))


def encode_dial_password(password):
    """Inverse of the client's dial-password decoder.

    The decoder base64-decodes four times plainly, then runs four layers swapping by 5, 5, 6
    and 4; the encoder runs those layers first, in the opposite order.
    """
    text = password
    for k in (4, 6, 5, 5):
        text = _layer(text, k)
    for _ in range(4):
        text = base64_encode_text(text)
    return text
