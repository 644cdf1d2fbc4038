"""Runs scripts/check_layers.py on small trees written for each case."""
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "check_layers.py"


def check(files):
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            (Path(root) / name).parent.mkdir(parents=True, exist_ok=True)
            (Path(root) / name).write_text(text)
        run = subprocess.run([sys.executable, str(SCRIPT), "--root", root],
                             capture_output=True, text=True)
    return run.returncode, run.stdout.splitlines()


class CheckLayersTest(unittest.TestCase):
    def test_clean_tree_passes_and_counts_what_it_read(self):
        code, out = check({
            "base/text.h": "#pragma once\n",
            "net/http.cpp": '#include "net/http.h"\n#include "base/text.h"\n'
                            '#include "config/build_config.h"\n#include "gtest/gtest.h"\n'
                            "#include <windows.h>\n",
            "ui/framework/window.h": '#include "ui/controls/button.h"\n',
            "net/CMakeLists.txt": "dl_module(dl_net\n  PURE http.cpp\n"
                                  "  DEPS dl_base dl_config  # (not dl_app)\n  SYSLIBS wininet)\n",
            "install/CMakeLists.txt": "set(LIBS advapi32)\nlist(APPEND LIBS shell32)\n"
                                      "dl_module(dl_install DEPS dl_base SYSLIBS ${LIBS})\n",
            "tests/net/t.cpp": '#include "app/main.h"\n',
            "tests/CMakeLists.txt": "target_link_libraries(dl_base PRIVATE dl_app)\n",
        })
        self.assertEqual((code, out),
                         (0, ["layers: 3 files, 4 includes, 3 links checked, no violation"]))

    def test_upward_sideways_and_hidden_links_are_reported(self):
        code, out = check({
            "base/text.h": '#include "config/build_config.h"\n',
            "net/http.cpp": '#include "net/http.h"\n\n#include "install/zip.h"\n',
            "ui/controls/button.cpp": '#include "ui/controls/button.h"\n'
                                      '#include "ui/framework/window.h"\n',
            "net/CMakeLists.txt": "dl_module(dl_net PURE http.cpp\n  DEPS dl_base dl_app_pure)\n"
                                  "target_link_libraries(dl_net_pure PUBLIC dl_install)\n",
            "install/worker.cmake": "if(WIN32)\n  list(APPEND DL_INSTALL_LIBS dl_net)\nendif()\n",
            "install/CMakeLists.txt": "include(worker.cmake)\ndl_module(dl_install DEPS dl_base\n"
                                      "  SYSLIBS kernel32 ${DL_INSTALL_LIBS} dl_base)\n",
        })
        self.assertEqual(code, 1)
        self.assertEqual(sorted(out[:-1]), [
            "base/text.h:1: base -> config (include \"config/build_config.h\")",
            "install/CMakeLists.txt:3: install -> base (link dl_base through SYSLIBS)",
            "install/worker.cmake:2: install -> net (link dl_net through SYSLIBS)",
            "net/CMakeLists.txt:2: net -> app (link dl_app_pure)",
            "net/CMakeLists.txt:3: net -> install (link dl_install)",
            "net/http.cpp:3: net -> install (include \"install/zip.h\")",
            "ui/controls/button.cpp:2: ui/controls -> ui/framework "
            "(include \"ui/framework/window.h\")",
        ])
        self.assertTrue(out[-1].startswith("layers: 7 violation(s)"), out[-1])


if __name__ == "__main__":
    unittest.main()
