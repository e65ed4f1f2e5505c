"""What the end-to-end scripts share: the unprivileged test user and the
run of a table of cases with its report."""

import os
import pwd
import shutil
import subprocess

TESTUSER = "kestrix-test"


def testuser():
    """The unprivileged user's (uid, gid), made once; None where the test
    is not root or useradd is missing."""
    if os.geteuid() != 0 or not shutil.which("useradd"):
        return None
    try:
        pw = pwd.getpwnam(TESTUSER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", TESTUSER],
                       check=True)
        pw = pwd.getpwnam(TESTUSER)
    return pw.pw_uid, pw.pw_gid


def runcases(table, check):
    """Runs check(case) for each case (its name first), printing each
    outcome; a problem that starts with "skipped" is no failure. The exit
    status: 1 when a case failed."""
    failed = 0
    for case in table:
        problem = check(case)
        if problem and not problem.startswith("skipped"):
            failed += 1
            print("FAIL %s: %s" % (case[0], problem))
        else:
            print("%s %s" % (problem or "ok  ", case[0]))
    print("%d cases, %d failed" % (len(table), failed))
    return 1 if failed else 0
