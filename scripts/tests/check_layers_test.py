#!/usr/bin/env python3
"""The layer check on a small source tree of its own: each way a file under student/ may name
a header of a folder above it is caught, and what a folder may use passes."""
import importlib.machinery
import importlib.util
import os
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "check-layers")


def load_checker():
    loader = importlib.machinery.SourceFileLoader("check_layers", SCRIPT)
    spec = importlib.util.spec_from_loader("check_layers", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


check = load_checker()

# The tree: the main window's header in shell/, a lesson file that includes one header, a
# header of its own beside it, and a header of the sound folder below it.
TREE = {
    "student/shell/mainwindow.h": "",
    "student/lessons/own.h": "",
    "student/sound/port.h": "",
}

# (the include line in student/lessons/flow.cpp, whether it reaches up)
CASES = [
    ('#include "mainwindow.h"', True),
    ("#include <mainwindow.h>", True),
    ("  #  include   <mainwindow.h>", True),
    ('#include "../shell/mainwindow.h"', True),
    ('#include "student/shell/mainwindow.h"', True),
    ("#include <student/shell/mainwindow.h>", True),
    ('#include "own.h"', False),
    ("#include <own.h>", False),
    ("#include <port.h>", False),
    ('#include "student/sound/port.h"', False),
    ("#include <QWidget>", False),
    ("#include <vector>", False),
    ("#include <gtest/gtest.h>", False),
]


class IncludesUnderStudent(unittest.TestCase):
    def test_each_way_of_naming_a_higher_header(self):
        for line, reachesUp in CASES:
            with self.subTest(line=line), tempfile.TemporaryDirectory() as root:
                for path, text in dict(TREE, **{"student/lessons/flow.cpp": line + "\n"}).items():
                    os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                    with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                        f.write(text)
                problems, files = check.check_includes(root)
                self.assertEqual(files, len(TREE) + 1)
                if reachesUp:
                    self.assertEqual(len(problems), 1, problems)
                    self.assertTrue(problems[0].startswith("student/lessons/flow.cpp:1: includes "), problems)
                    self.assertIn("from student/shell/", problems[0])
                else:
                    self.assertEqual(problems, [])


if __name__ == "__main__":
    unittest.main()
