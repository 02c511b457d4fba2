"""python3 run_test_module.py MODULE, for ctest: exits 0 when its tests passed, 1 when one failed, and
77 (SKIP_RETURN_CODE) when all skipped themselves, so that ctest shows a module that cannot run as skipped."""

import sys
import unittest

result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromName(sys.argv[1]))
if not result.wasSuccessful():
    sys.exit(1)
sys.exit(77 if result.testsRun and len(result.skipped) == result.testsRun else 0)
