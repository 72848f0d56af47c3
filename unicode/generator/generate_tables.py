#!/usr/bin/env python3
"""Generates UnicodeTables.inc, the lookup tables of koril::unicode, from the Unicode Character
Database: canonical decompositions and combining classes from UnicodeData.txt, simple case
foldings (status C and S) from CaseFolding.txt.

Each property is a two-stage table: an index of blocks (one entry per 2**shift code points)
pointing into a pool of deduplicated blocks. Code points at or above a table's limit have the
default value, so the tables stop where the data does. Hangul syllables are left out: their
decomposition is arithmetic.

Usage: generate_tables.py --data DIR --output FILE
"""

import argparse
import os
import re
import sys

HANGUL_FIRST = 0xAC00
HANGUL_LAST = 0xD7A3

# Normalisation records, 16 bits each: a combining class (0..254), or, with the top bit set, a
# decomposition of LENGTH code points at OFFSET in the decomposition pool.
DECOMPOSITION_FLAG = 0x8000
LENGTH_SHIFT = 13
OFFSET_LIMIT = 1 << LENGTH_SHIFT
MAX_LENGTH = 4


def data_lines(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(";")]


def read_unicode_data(path):
    """Returns (combining classes, canonical decompositions) keyed by code point."""
    classes = {}
    decompositions = {}
    for fields in data_lines(path):
        code_point = int(fields[0], 16)
        combining_class = int(fields[3])
        if combining_class:
            classes[code_point] = combining_class
        mapping = fields[5]
        if mapping and not mapping.startswith("<"):
            decompositions[code_point] = [int(part, 16) for part in mapping.split()]
    return classes, decompositions


def read_case_folding(path):
    """Returns the simple foldings (status C and S) and the Unicode version of the file."""
    version = None
    with open(path, encoding="utf-8") as f:
        match = re.match(r"#\s*CaseFolding-([\d.]+)\.txt", f.readline())
        if match:
            version = match.group(1)
    foldings = {}
    for fields in data_lines(path):
        if fields[1] in ("C", "S"):
            foldings[int(fields[0], 16)] = int(fields[2], 16)
    return foldings, version


def full_decomposition(code_point, decompositions):
    if code_point not in decompositions:
        return [code_point]
    result = []
    for part in decompositions[code_point]:
        result.extend(full_decomposition(part, decompositions))
    return result


def add_to_pool(pool, sequence):
    """Returns the offset of `sequence` in `pool`, appending it unless it is already there."""
    n = len(sequence)
    for start in range(len(pool) - n + 1):
        if pool[start:start + n] == sequence:
            return start
    # A tail of the pool that is a head of the sequence can be shared as well.
    for overlap in range(min(n - 1, len(pool)), 0, -1):
        if pool[-overlap:] == sequence[:overlap]:
            pool.extend(sequence[overlap:])
            return len(pool) - n
    pool.extend(sequence)
    return len(pool) - n


def normalization_records(classes, decompositions):
    pool = []
    records = {}
    # Longest first, so that shorter decompositions find themselves inside longer ones.
    expanded = {cp: full_decomposition(cp, decompositions) for cp in decompositions}
    for code_point in sorted(expanded, key=lambda cp: (-len(expanded[cp]), cp)):
        sequence = expanded[code_point]
        if not 1 <= len(sequence) <= MAX_LENGTH:
            sys.exit("decomposition of U+%04X is too long" % code_point)
        offset = add_to_pool(pool, sequence)
        if offset >= OFFSET_LIMIT:
            sys.exit("decomposition pool overflows %d entries" % OFFSET_LIMIT)
        records[code_point] = DECOMPOSITION_FLAG | ((len(sequence) - 1) << LENGTH_SHIFT) | offset
    for code_point, combining_class in classes.items():
        if code_point not in decompositions:
            records[code_point] = combining_class
    for code_point in records:
        if HANGUL_FIRST <= code_point <= HANGUL_LAST:
            sys.exit("unexpected Hangul syllable data at U+%04X" % code_point)
    return records, pool


def type_for(values):
    """The smallest unsigned C++ type that holds every value."""
    top = max(values) if values else 0
    if top < 1 << 8:
        return "std::uint8_t", 1
    if top < 1 << 16:
        return "std::uint16_t", 2
    return "std::uint32_t", 4


def two_stage(values, value_bytes):
    """Splits `values` (a dense list, indexed by code point) into the smallest index and block
    pool; returns (shift, index, blocks)."""
    best = None
    for shift in range(3, 11):
        size = 1 << shift
        padded = values + [0] * (-len(values) % size)
        block_ids = {}
        index = []
        blocks = []
        for start in range(0, len(padded), size):
            block = tuple(padded[start:start + size])
            if block not in block_ids:
                block_ids[block] = len(block_ids)
                blocks.extend(block)
            index.append(block_ids[block])
        total = len(index) * type_for(index)[1] + len(blocks) * value_bytes
        if best is None or total < best[0]:
            best = (total, shift, index, blocks)
    return best[1], best[2], best[3]


def dense(mapping):
    limit = max(mapping) + 1
    return [mapping.get(cp, 0) for cp in range(limit)]


def format_array(name, ctype, values, hexadecimal=False):
    lines = ["inline constexpr %s %s[] = {" % (ctype, name)]
    items = [("0x%X" % v) if hexadecimal else str(v) for v in values]
    line = "   "
    for item in items:
        if len(line) + len(item) + 2 > 100:
            lines.append(line)
            line = "   "
        line += " " + item + ","
    lines.append(line)
    lines.append("};")
    return "\n".join(lines)


def emit_table(out, prefix, values, value_type, value_bytes):
    shift, index, blocks = two_stage(values, value_bytes)
    index_type = type_for(index)[0]
    limit = len(index) << shift
    out.append("inline constexpr unsigned int k%sShift = %d;" % (prefix, shift))
    out.append("inline constexpr unsigned int k%sLimit = 0x%X;" % (prefix, limit))
    out.append(format_array("k%sIndex" % prefix, index_type, index))
    out.append(format_array("k%sBlocks" % prefix, value_type, blocks))


def generate(data_dir):
    classes, decompositions = read_unicode_data(os.path.join(data_dir, "UnicodeData.txt"))
    foldings, version = read_case_folding(os.path.join(data_dir, "CaseFolding.txt"))

    records, pool = normalization_records(classes, decompositions)

    deltas = [0]
    fold_indices = {}
    for code_point, folded in sorted(foldings.items()):
        delta = folded - code_point
        if delta not in deltas:
            deltas.append(delta)
        fold_indices[code_point] = deltas.index(delta)
    if len(deltas) > 256:
        sys.exit("too many distinct case-folding deltas: %d" % len(deltas))

    out = []
    out.append("// Generated by unicode/generator/generate_tables.py from the Unicode Character")
    out.append("// Database %s. Do not edit; regenerate with the koril_unicode_tables target."
               % (version or "(unknown version)"))
    out.append("#include <cstdint>")
    out.append("")
    out.append("namespace koril::unicode::tables {")
    out.append("")
    out.append("// Below this code point every character is a starter without a decomposition.")
    out.append("inline constexpr unsigned int kFirstNonTrivial = 0x%X;" % min(records))
    out.append("inline constexpr unsigned int kDecompositionFlag = 0x%X;" % DECOMPOSITION_FLAG)
    out.append("inline constexpr unsigned int kDecompositionLengthShift = %d;" % LENGTH_SHIFT)
    out.append("")
    emit_table(out, "Normalization", dense(records), "std::uint16_t", 2)
    out.append("")
    out.append(format_array("kDecompositionPool", "std::uint32_t", pool, hexadecimal=True))
    out.append("")
    emit_table(out, "CaseFold", dense(fold_indices), "std::uint8_t", 1)
    out.append("")
    out.append(format_array("kCaseFoldDeltas", "std::int32_t", deltas))
    out.append("")
    out.append("} // namespace koril::unicode::tables")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", required=True, help="Unicode Character Database folder")
    parser.add_argument("--output", required=True, help="the .inc file to write")
    arguments = parser.parse_args()
    text = generate(arguments.data)
    with open(arguments.output, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main()
