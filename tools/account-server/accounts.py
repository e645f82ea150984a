"""The account service's answers: what each script replies, from a small JSON data file.

The data file (accounts.json is the demo) holds the accounts, prepaid cards, the server-check
fields and the line list; README.md describes its format. Scripts receive their form fields
and answer a text; the HTTP layer encodes it as GBK, the code page the client reads replies in.

Mutations (registration, top-up, password change) change this process's copy only: the file is
never written, and a primary and a backup process do not share them. Every method runs under
the service's lock, since the HTTP server answers each request on its own thread.
"""

import ipaddress
import json
import threading

import encoders

ACCESS_VALUE = "5a7c0e92d1f"
TOKEN_OWN_LOGIN = "6b1d8e04c9f27a35e0d4b6c81f93a270"
TOKEN_SEPARATOR = "e83a5f1c0b6d92e47a1c3f08d5b2964e"
TOKEN_TOO_MANY = "0f9e3c71a2b84d6e5c07f1a93b2e6d48"

STATES = ("ok", "expire", "useup", "error")
LINE_CHECK_MODES = ("login", "issue")

# Per language (1 simplified, 2 English, 3 traditional): account text and validity label.
ACCOUNT_TEXT = {1: "正式用户 剩余{days}天", 2: "VIP user, {days} days left", 3: "正式用戶 剩餘{days}天"}
DAYS_LABEL = {1: "剩余天数", 2: "remaind day", 3: "剩餘天數"}

NEW_ACCOUNT_DAYS = 7


class DataError(ValueError):
    """The data file does not describe a usable service."""


def _require(condition, message):
    if not condition:
        raise DataError(message)


def _check_gbk(text, what):
    try:
        text.encode("gbk")
    except UnicodeEncodeError as error:
        raise DataError("%s is not representable in GBK: %r" % (what, text)) from error


def _check_loopback(address, what):
    try:
        ok = ipaddress.IPv4Address(address) in ipaddress.IPv4Network("127.0.0.0/8")
    except ValueError:
        ok = False
    _require(ok, "%s must be an address in 127.0.0.0/8, not %r" % (what, address))


def _validate_account(name, account):
    _require(isinstance(account.get("password"), str), "account %r needs a password" % name)
    _require(account.get("state", "ok") in STATES, "account %r: state must be one of %s" % (name, STATES))
    _require(isinstance(account.get("days", 0), int), "account %r: days must be an integer" % name)
    mode = account.get("line_check", "login")
    _require(mode in LINE_CHECK_MODES, "account %r: line_check must be one of %s" % (name, LINE_CHECK_MODES))
    if mode == "issue":
        for field in ("dial_user", "dial_password"):
            _require(isinstance(account.get(field), str), "account %r needs %s" % (name, field))
            encoders.base64_encode_text(account[field])
    _check_gbk(account.get("info", ""), "account %r info" % name)


def _validate_card(number, card):
    _require(isinstance(card.get("password"), str), "card %r needs a password" % number)
    _require(isinstance(card.get("days"), int), "card %r: days must be an integer" % number)


def _validate_areas(areas):
    _require(isinstance(areas, list), "areas must be a list")
    for area in areas:
        _check_gbk(area["name"], "area name")
        for line in area["lines"]:
            _check_gbk(line["name"], "line name")
            _check_gbk(line["rate"], "online rate")
            _check_loopback(line["address"], "line %r" % line["name"])
            _require(isinstance(line["l2tp"], int), "line %r: l2tp must be 0 or 1" % line["name"])


def load(path):
    """Reads and checks a data file; raises DataError with the reason."""
    try:
        with open(path, encoding="utf-8") as stream:
            data = json.load(stream)
    except (OSError, ValueError) as error:
        raise DataError("cannot read %s: %s" % (path, error)) from error
    try:
        for name, account in data.get("accounts", {}).items():
            _validate_account(name, account)
        for number, card in data.get("cards", {}).items():
            _validate_card(number, card)
        _validate_areas(data.get("areas", []))
        _check_loopback(data.get("server_check", {}).get("route_ip", "127.0.0.9"), "route_ip")
    except (KeyError, TypeError, AttributeError) as error:
        raise DataError("malformed data file %s: %r" % (path, error)) from error
    return AccountService(data)


class AccountService:
    def __init__(self, data):
        self._lock = threading.Lock()
        self._accounts = data.get("accounts", {})
        self._cards = data.get("cards", {})
        self._areas = data.get("areas", [])
        self._check = data.get("server_check", {})
        self._registration_open = data.get("registration_open", True)

    def _login(self, user, password):
        """The account when the user exists and the password matches, else None."""
        account = self._accounts.get(user)
        if account is None or account["password"] != password:
            return None
        return account

    # Account-server scripts.

    def server_check(self, peer_address):
        with self._lock:
            peer = self._check.get("peer_ip", peer_address)
            return "%s-%s-%s" % (peer, self._check.get("version", "9.0"), self._check.get("route_ip", "127.0.0.9"))

    def credential_check(self, form, lang):
        with self._lock:
            account = self._login(form.get("UserID", ""), form.get("Upassword", ""))
            if account is None:
                return "error"
            state = account.get("state", "ok")
            if state != "ok":
                return state
            return account.get("info") or ACCOUNT_TEXT[lang].format(days=account.get("days", 0))

    def validity_check(self, form, lang):
        with self._lock:
            account = self._login(form.get("UserID", ""), form.get("Upassword", ""))
            if account is None:
                return "error"
            state = account.get("state", "ok")
            if state != "ok":
                return state
            return "%s:%d" % (DAYS_LABEL[lang], account.get("days", 0))

    def line_check(self, form):
        """Token A, or issued credentials; nothing for a wrong login or an account not in order."""
        with self._lock:
            account = self._login(form.get("username", ""), form.get("Upassword", ""))
            if account is None or account.get("state", "ok") != "ok":
                return ""
            if account.get("line_check", "login") == "login":
                return TOKEN_OWN_LOGIN
            return (encoders.encode_dial_user(account["dial_user"]) + TOKEN_SEPARATOR
                    + encoders.encode_dial_password(account["dial_password"]))

    def status_report(self, form):
        with self._lock:
            account = self._accounts.get(form.get("username", ""), {})
            return TOKEN_TOO_MANY if account.get("too_many", False) else "ok"

    def line_list(self, query):
        """The INI document, or nothing without the access value."""
        if query.get("viewstr") != ACCESS_VALUE:
            return ""
        with self._lock:
            return render_line_list(self._areas)

    # The second service's account dialogs.

    def register(self, form):
        user, password = form.get("UserID", ""), form.get("Upassword", "")
        with self._lock:
            if not self._registration_open:
                return "1"
            if user in self._accounts:
                return "2"
            if not user or not password or password != form.get("Upassword2", ""):
                return "fail"
            self._accounts[user] = {"password": password, "state": "ok", "days": NEW_ACCOUNT_DAYS}
            return "ok"

    def top_up(self, form):
        with self._lock:
            account = self._login(form.get("UserID", ""), form.get("Upassword", ""))
            if account is None:
                return "1"
            card = self._cards.get(form.get("mycardid", ""))
            if card is None or card["password"] != form.get("mycardpass", "") or card.get("used"):
                return "2"
            if card.get("expired", False):
                return "3"
            card["used"] = True
            account["days"] = account.get("days", 0) + card["days"]
            account["state"] = "ok"
            return "ok"

    def change_password(self, form):
        new_password = form.get("Upassword1", "")
        with self._lock:
            account = self._login(form.get("UserID", ""), form.get("Upassword", ""))
            if account is None:
                return "1"
            if not new_password or new_password != form.get("Upassword2", ""):
                return "fail"
            account["password"] = new_password
            return "ok"


def render_line_list(areas):
    """A section per area, a key per line, value "encoded address,online rate,L2TP flag"."""
    out = []
    for area in areas:
        out.append("[%s]" % area["name"])
        for line in area["lines"]:
            value = "%s,%s,%d" % (encoders.encode_line_address(line["address"]), line["rate"], line["l2tp"])
            out.append("%s=%s" % (line["name"], value))
        out.append("")
    return "\r\n".join(out) + ("\r\n" if out else "")
