#!/usr/bin/env python3
"""Cases for the include-arrow and brace checks: python3 scripts/checks_test.py."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import arrow_check  # noqa: E402
import brace_check  # noqa: E402


class BraceCheck(unittest.TestCase):
    def test_finds_the_bodies_without_braces(self):
        cases = [
            ("if (a) { x; }", []),
            ("if (a)\n{\n}", []),
            ("if (a) x;", ["if"]),
            ("if constexpr (A) x;", ["if"]),
            ("if (a) { } else x;", ["else"]),
            ("if (a) { } else if (b) { } else { }", []),
            ("for (auto f = [](int i) { if (i) return 1; return 0; }; ;) { }", ["if"]),
            ("for (int v : {1, 2}) f(v);", ["for"]),
            ("while (a) ;", ["while"]),
            ("do { x; } while (a);", []),
            ("do x; while (a);", ["do", "while"]),  # the tail is taken for a loop of its own
            ("bool is_if(int); is_if (1); x.for_each(f);", []),
            # Nothing inside comments, literals or directives counts.
            ('s = "if (a) x;"; // if (b) y;\n/* for (;;) z; */ c = \'(\';', []),
            ('auto r = R"x(if (a) ")x"; if (r) { }', []),
            ("int n = 1'000; if (n) x;", ["if"]),
            ("char c = u8'('; if (c) x;", ["if"]),
            ("#define F(a) if (a) x; \\\n  else y;\nint g;", []),
        ]
        for source, expected in cases:
            with self.subTest(source=source):
                found = [keyword for _, keyword in brace_check.offences(brace_check.strip(source))]
                self.assertEqual(expected, found)

    def test_keeps_line_numbers(self):
        source = '/* one\ntwo */\n"three"\n#if X\n#endif\nif (a) x;'
        code = brace_check.strip(source)
        self.assertEqual(source.count("\n"), code.count("\n"))
        (offset, _), = brace_check.offences(code)
        self.assertEqual(6, code.count("\n", 0, offset) + 1)


class ArrowCheck(unittest.TestCase):
    def test_folders_and_included_files(self):
        tree = {"protocol/request.h", "protocol/transfer.cpp", "files/file_image.h", "tests/support/bytes.h",
                "tests/compiler/compiler_test_support.h", "tests/support/ui/gui_test.h", "tools/vxc/main.cpp"}
        cases = [
            # including file, as written, resolved file, arrow
            ("protocol/transfer.cpp", "request.h", "protocol/request.h", ("protocol", "protocol")),
            ("protocol/transfer.cpp", "files/file_image.h", "files/file_image.h", ("protocol", "files")),
            ("tests/vxc/vxc_test.cpp", "../compiler/compiler_test_support.h",
             "tests/compiler/compiler_test_support.h", ("tests/vxc", "tests/compiler")),
            ("tests/dialogs/a_test.cpp", "support/ui/gui_test.h", "tests/support/ui/gui_test.h",
             ("tests/dialogs", "tests/support")),
            ("tools/vxc/main.cpp", "support/bytes.h", None, ("tools/vxc", "tools/vxc")),  # no tests/ path
            ("app/Root.cpp", "moc_Root.cpp", None, ("app", "app")),  # generated
        ]
        for including, header, resolved, arrow in cases:
            with self.subTest(header=header):
                found = arrow_check.resolve(including, header, tree)
                self.assertEqual(resolved, found)
                self.assertEqual(arrow, (arrow_check.folder(including),
                                         arrow_check.folder(found) if found else arrow_check.folder(including)))

    def test_reads_the_table(self):
        text = ("# core\nprotocol\tserial\nnotes\tfiles\n\nui protocol\nui\t\n"
                "# known, to be removed: why\nserial\tprotocol\n")
        with tempfile.NamedTemporaryFile("w", suffix=".tsv", delete=False) as table:
            table.write(text)
        try:
            allowed, known, faults = arrow_check.read_table(table.name)
        finally:
            os.unlink(table.name)
        self.assertEqual({("protocol", "serial"), ("notes", "files"), ("serial", "protocol")}, allowed)
        self.assertEqual({("serial", "protocol")}, known)
        self.assertEqual([5, 6], [int(fault.split(":")[2]) for fault in faults])


if __name__ == "__main__":
    unittest.main()
