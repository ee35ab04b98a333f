#!/usr/bin/env python3
"""Validates a SARIF file against the 2.1.0 schema (when the schema file exists) and prints one
tab-separated line per result: run, file, rule, name, kind, first line, last line, declaration,
as the CSV report has them; then one line per run with its counters."""
import json
import sys
import urllib.parse

sarif_path, schema_path = sys.argv[1], sys.argv[2]
with open(sarif_path, encoding="utf-8") as f:
    log = json.load(f)
if schema_path != "-":
    import jsonschema
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft4Validator(schema).validate(log)

run = log["runs"][0]
rules = run["tool"]["driver"]["rules"]
base = run["originalUriBaseIds"]["WORKINGCOPY"]["uri"]
assert base.startswith("file:///") and base.endswith("/"), base
for r in run["results"]:
    assert rules[r["ruleIndex"]]["id"] == r["ruleId"]
    loc = r["locations"][0]["physicalLocation"]
    assert loc["artifactLocation"]["uriBaseId"] == "WORKINGCOPY"
    region = loc["region"]
    p = r["properties"]
    print("\t".join(str(x) for x in [
        p["run"], urllib.parse.unquote(loc["artifactLocation"]["uri"]), r["ruleId"], p["name"],
        p["kind"], region["startLine"], region["endLine"], region["snippet"]["text"]]))
for s in run["properties"]["runs"]:
    c = s["counters"]
    print("run", s["run"], c["dim"], c["unused_dim"], c["private"], c["unused_private"],
          c["public"], c["unused_public"], s["findings"])
