"""Runs one test module for ctest: python3 run_test_module.py MODULE. Exits 0 when its tests
passed, 1 when one failed, and 77 (the ctest entry's SKIP_RETURN_CODE) when every one skipped
itself, so that a module that cannot run here (the fault tests without root) shows as skipped."""

import sys
import unittest

result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromName(sys.argv[1]))
if not result.wasSuccessful():
    sys.exit(1)
sys.exit(77 if result.testsRun and len(result.skipped) == result.testsRun else 0)
