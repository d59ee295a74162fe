#!/usr/bin/env python3
"""Replaces the section of a document between <!-- NAME:begin --> and <!-- NAME:end --> with
the text of a file, or appends the section when the document has none.
   doc-section.py DOC NAME FILE"""
import re
import sys

doc, name, part_file = sys.argv[1:4]
part = open(part_file).read().rstrip() + "\n"
text = open(doc).read()
begin, end = f"<!-- {name}:begin -->", f"<!-- {name}:end -->"
section = begin + "\n" + part + end
if begin in text:
    text = re.sub(re.escape(begin) + ".*?" + re.escape(end), lambda m: section, text, flags=re.S)
else:
    text += "\n" + section + "\n"
open(doc, "w").write(text)
