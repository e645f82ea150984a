"""A small data file for the tests, written to a temporary folder, independent of the demo data."""

import json
import os

ACCOUNT = "/webadmin/useradmin/"
SECOND = "/sysadmin/useradmin/"
TOKEN_A = "6b1d8e04c9f27a35e0d4b6c81f93a270"
TOKEN_B = "e83a5f1c0b6d92e47a1c3f08d5b2964e"
TOKEN_C = "0f9e3c71a2b84d6e5c07f1a93b2e6d48"
LINE_LIST_QUERY = "?viewstr=5a7c0e92d1f"

DATA = {
    "server_check": {"version": "9.1", "route_ip": "127.0.0.9"},
    "registration_open": True,
    "accounts": {
        "good": {"password": "good1", "state": "ok", "days": 30, "line_check": "login"},
        "issued": {"password": "iss1", "state": "ok", "days": 2, "line_check": "issue",
                   "dial_user": "vpn1", "dial_password": "dp#1"},
        "crowd": {"password": "cr1", "state": "ok", "days": 9, "line_check": "issue",
                  "dial_user": "vpn2", "dial_password": "dp#2", "too_many": True},
        "gone": {"password": "gone1", "state": "expire", "days": 0},
        "spent": {"password": "spent1", "state": "useup", "days": 0},
        "broken": {"password": "broken1", "state": "error", "days": 0},
        "named": {"password": "named1", "state": "ok", "days": 5, "info": "Error"},
        "topper": {"password": "top1", "state": "expire", "days": 0},
        "changer": {"password": "old111", "state": "ok", "days": 1},
    },
    "cards": {
        "111111111111111111": {"password": "222222222222", "days": 30},
        "333333333333333333": {"password": "444444444444", "days": 30, "expired": True},
    },
    "areas": [
        {"name": "测试地区", "lines": [
            {"name": "测试一号", "address": "127.0.0.1", "rate": "90%", "l2tp": 1}]},
    ],
}


def write_data(folder, **changes):
    path = os.path.join(folder, "data.json")
    with open(path, "w", encoding="utf-8") as stream:
        json.dump(dict(DATA, **changes), stream, ensure_ascii=False)
    return path
