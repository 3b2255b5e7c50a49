#!/usr/bin/python3
"""deploy/summarize-checks.py over three stores' fetched dry-run documents,
each valid against the result document's schema: one that would install, one
refused, one whose server could not be reached, plus a file that is no
document. Run by ctest with the script and the schema as arguments."""
import copy
import csv
import io
import json
import pathlib
import subprocess
import sys
import tempfile
import unittest

import jsonschema

SCRIPT, SCHEMA = sys.argv[1], sys.argv[2]

ACCEPTED = {
    "schema_version": 1, "outcome": "checked", "exit_status": 0,
    "started_at": "2025-03-01T21:00:00+08:00", "ended_at": "2025-03-01T21:00:04+08:00",
    "program": {"name": "dbinstall", "version": "1.0.0"}, "computer": "STORE-017",
    "server": {"name": "STORE-017", "version": "15.0.2000"}, "database": "mirvox",
    "administrator_login": "sa", "application_login": "mirvox", "store_mode": "branch",
    "data_path": "D:\\data", "data_files": {"data": "D:\\data\\mirvox_Data.MDF", "log": "D:\\data\\mirvox_Log.LDF"},
    "phases": [{"name": name, "milliseconds": 10} for name in ("preconditions", "connect", "preflight", "check")],
    "safety_backup": None, "old_database": "kept", "alias_written": False, "alias": None,
    "detection_key_written": False,
    "message": "检查通过：可以安装。安装会替换数据库服务器上原有的数据库 mirvox（删除前先做安全备份）。\r\n数据库服务器上没有做任何更改。",
    "failure": None,
    "check": {
        "server": {"edition": "Express Edition (64-bit)", "instance": "SQLEXPRESS", "authentication": "mixed",
                   "tcp_enabled": True, "port": 1433},
        "data_drive": {"free_mb": 20480, "needed_mb": 48},
        "template": {"version": "15.0.2000", "files": [
            {"logical_name": "mirvox_data", "physical_name": "C:\\t\\d.mdf", "type": "data", "size_bytes": 8388608},
            {"logical_name": "mirvox_log", "physical_name": "C:\\t\\l.ldf", "type": "log", "size_bytes": 8388608}]},
        "old_database": {"present": True, "size_bytes": 16777216, "sessions": 2, "application_sessions": 0},
        "action": "replace", "needs": ["drop_consent"], "server_changes": []},
}


def refused():
    document = copy.deepcopy(ACCEPTED)
    document.update(outcome="refused", exit_status=8, computer="STORE-003",
                    message="数据库服务器的 D: 盘空间不够：需要 48 MB，只有 20 MB 可用。\r\n请在这个盘上腾出空间。\r\n数据库服务器上没有做任何更改。",
                    failure={"phase": "preflight", "error_number": None, "error_text": None})
    document["check"].update(action="create", needs=[])
    return document


def unreachable():
    document = copy.deepcopy(ACCEPTED)
    document.update(outcome="connection_failed", exit_status=4, computer="STORE-101", message="",
                    phases=[{"name": "preconditions", "milliseconds": 3}, {"name": "connect", "milliseconds": 15000}],
                    failure={"phase": "connect", "error_number": 20009,
                             "error_text": "Unable to connect: Adaptive Server is unavailable or does not exist"})
    document["server"]["version"] = None
    document["check"] = {"server": {"edition": None, "instance": None, "authentication": None, "tcp_enabled": None,
                                    "port": None},
                         "data_drive": {"free_mb": None, "needed_mb": None}, "template": None,
                         "old_database": {"present": None, "size_bytes": None, "sessions": None,
                                          "application_sessions": None},
                         "action": None, "needs": [], "server_changes": []}
    return document


class SummaryOfThreeStores(unittest.TestCase):
    def test_one_row_a_store_with_its_answer_and_reason(self):
        schema = json.loads(pathlib.Path(SCHEMA).read_text(encoding="utf-8"))
        with tempfile.TemporaryDirectory() as results:
            for store, document in (("store-017", ACCEPTED), ("store-003", refused()), ("store-101", unreachable())):
                jsonschema.validate(document, schema)
                (pathlib.Path(results) / store).mkdir()
                (pathlib.Path(results) / store / "check.json").write_text(json.dumps(document, ensure_ascii=False),
                                                                          encoding="utf-8")
            (pathlib.Path(results) / "store-200").mkdir()
            (pathlib.Path(results) / "store-200" / "check.json").write_text("<html>proxy error</html>")

            run = subprocess.run([sys.executable, SCRIPT, results], capture_output=True, check=False)

        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertTrue(run.stdout.startswith(b"\xef\xbb\xbf"), "a byte order mark, for Excel")
        rows = list(csv.reader(io.StringIO(run.stdout.decode("utf-8-sig"), newline="")))
        self.assertEqual(rows[:4], [
            ["store", "answer", "reason"],
            ["store-003", "refused", "数据库服务器的 D: 盘空间不够：需要 48 MB，只有 20 MB 可用。"],
            ["store-017", "checked", "replace (drop_consent)"],
            ["store-101", "connection_failed", "Unable to connect: Adaptive Server is unavailable or does not exist"],
        ])
        self.assertEqual(rows[4][:2], ["store-200", "unreadable"])
        self.assertEqual(len(rows), 5)

    def test_no_document_is_an_error(self):
        with tempfile.TemporaryDirectory() as empty:
            run = subprocess.run([sys.executable, SCRIPT, empty], capture_output=True, check=False)
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stdout, b"")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
