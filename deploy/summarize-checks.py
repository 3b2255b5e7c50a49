#!/usr/bin/python3
"""Turns the result documents of many stores' dry runs (dbinstall.com
--unattended --check --result-json FILE) into one CSV table: store, answer,
reason, one row a store, sorted by store.

    summarize-checks.py results/ > checks.csv

Each argument is a result document or a folder of them: a folder's
<store>/check.json (as the Ansible recipe fetches them) and <store>/result.json
count, and the store is the folder the document lies in. The answer is the
document's outcome: "checked" (an install with the same options would go
through), "refused" (it would not, the reason says why) or how the run ended
otherwise (connection_failed, login_refused, ...); "unreadable" when the file
is no result document. The CSV is UTF-8 with a byte order mark, so that
Excel shows the Chinese reasons. Exit status 0, or 1 when no document was
found."""
import csv
import json
import pathlib
import sys

DOCUMENT_NAMES = ("check.json", "result.json")


def documents(arguments):
    for argument in map(pathlib.Path, arguments):
        if argument.is_dir():
            for name in DOCUMENT_NAMES:
                yield from sorted(argument.glob(f"*/{name}"))
        else:
            yield argument


def first_line(text):
    return text.strip().splitlines()[0] if text and text.strip() else ""


def what_an_install_would_do(check):
    action = check.get("action") or "?"
    needs = check.get("needs") or []
    return f"{action} ({', '.join(needs)})" if needs else action


def row_of(path):
    store = path.parent.name or str(path)
    try:
        document = json.loads(path.read_text(encoding="utf-8"))
        outcome = document["outcome"]
    except (OSError, UnicodeDecodeError, ValueError, KeyError, TypeError) as error:
        return [store, "unreadable", f"{path}: {error}"]
    check = document.get("check")
    if outcome == "checked" and isinstance(check, dict):
        return [store, outcome, what_an_install_would_do(check)]
    failure = document.get("failure") or {}
    reason = first_line(document.get("message", "")) or failure.get("error_text") or ""
    return [store, outcome, reason]


def main(arguments):
    rows = sorted((row_of(path) for path in documents(arguments)), key=lambda row: row[0])
    if not rows:
        print("summarize-checks.py: no result document found", file=sys.stderr)
        return 1
    sys.stdout.reconfigure(encoding="utf-8-sig", newline="")
    table = csv.writer(sys.stdout, lineterminator="\r\n")
    table.writerow(["store", "answer", "reason"])
    table.writerows(rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
