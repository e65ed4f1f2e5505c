"""What the end-to-end scripts share: their arguments, the unprivileged
test user, the check of a run's exit status and message, and the run of a
table of cases with its report."""

import os
import pwd
import shutil
import subprocess
import sys

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


def programs(doc, count):
    """The programs named on the command line, as absolute paths (count of
    them), or None after printing the script's usage (doc)."""
    if len(sys.argv) != count + 1:
        print(doc, file=sys.stderr)
        return None
    return [os.path.abspath(a) for a in sys.argv[1:]]


def heard(rc, status, err, texts, top):
    """The problems with a run's exit status (rc, not status) and its
    message (err, which must hold each of texts, {top} standing for the
    case's folder)."""
    problems = []
    if rc != status:
        problems.append("exit status %d, not %d" % (rc, status))
    for t in texts:
        if t.replace("{top}", top) not in err:
            problems.append("no %r in the message" % t.replace("{top}", top))
    return problems
