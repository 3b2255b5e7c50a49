#!/usr/bin/python3
"""Validates a dbinstall result document against its JSON Schema with the
jsonschema package, then prints each of its values as one "path=value" line
(strings with CR and LF written as \\r and \\n, null as null) for a test to read.
Exit status 1 and the schema's complaints on standard error when it is not
valid; 2 when it is not UTF-8 JSON at all."""
import json
import sys

import jsonschema


def flattened(value, path):
    if isinstance(value, dict):
        for key, member in value.items():
            yield from flattened(member, f"{path}.{key}" if path else key)
    elif isinstance(value, list):
        yield f"{path}.length", str(len(value))
        for index, member in enumerate(value):
            yield from flattened(member, f"{path}.{index}")
    elif value is None or isinstance(value, bool):
        yield path, json.dumps(value)
    else:
        text = str(value)
        yield path, text.replace("\r", "\\r").replace("\n", "\\n")


def main(document_path, schema_path):
    with open(schema_path, encoding="utf-8") as schema_file:
        schema = json.load(schema_file)
    try:
        with open(document_path, encoding="utf-8") as document_file:
            document = json.load(document_file)
    except (UnicodeDecodeError, json.JSONDecodeError) as error:
        print(f"{document_path}: {error}", file=sys.stderr)
        return 2
    validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
    errors = sorted(validator.iter_errors(document), key=lambda error: list(error.absolute_path))
    for error in errors:
        print(f"{'/'.join(map(str, error.absolute_path))}: {error.message}", file=sys.stderr)
    if errors:
        return 1
    for path, text in flattened(document, ""):
        print(f"{path}={text}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
