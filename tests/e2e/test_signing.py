"""The release's Authenticode signatures: scripts/sign_release.sh signs
zintra.exe and an installer made from the signed program with a throwaway
code-signing certificate made here; osslsigncode accepts both with the
test authority as trust anchor (and refuses them without it), and the
signed zintra.exe still starts and clicks under Wine."""

import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
from wine_harness import ClickTarget, WineTestCase  # noqa: E402

SIGN_RELEASE = HERE.parent.parent / "scripts" / "sign_release.sh"


def openssl(directory, *args):
    subprocess.run(["openssl", *args], cwd=directory, check=True, capture_output=True)


def make_authority(directory, name):
    openssl(directory, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out",
            f"{name}.pem", "-days", "30", "-subj", f"/CN=Zintra test {name}",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")


class ReleaseSigning(WineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        keys = cls.desktop.dir / "signing"
        keys.mkdir(exist_ok=True)
        make_authority(keys, "authority")
        make_authority(keys, "stranger")
        (keys / "signer.ext").write_text("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                                         "extendedKeyUsage=codeSigning\n")
        openssl(keys, "req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key", "-out", "signer.csr",
                "-subj", "/CN=Zintra test signer")
        openssl(keys, "x509", "-req", "-in", "signer.csr", "-CA", "authority.pem", "-CAkey", "authority.key",
                "-CAcreateserial", "-days", "30", "-extfile", "signer.ext", "-out", "signer.pem")
        # The signer's certificate, then its chain.
        (keys / "chain.pem").write_text((keys / "signer.pem").read_text() + (keys / "authority.pem").read_text())
        cls.keys = keys
        cls.signed = cls.desktop.dir / "signed"
        env = dict(os.environ, ZINTRA_SIGN_CERT=str(keys / "chain.pem"), ZINTRA_SIGN_KEY=str(keys / "signer.key"))
        subprocess.run(["bash", str(SIGN_RELEASE), os.environ["ZINTRA_EXE"], str(cls.signed)], env=env, check=True,
                       capture_output=True, timeout=300)

    def verify(self, path, anchor="authority"):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", str(self.keys / f"{anchor}.pem"), "-in", str(path)],
                              capture_output=True, text=True, timeout=60)

    def test_both_binaries_verify_with_the_test_authority_only(self):
        for name in ("zintra.exe", "zintra-setup.exe"):
            with self.subTest(name):
                result = self.verify(self.signed / name)
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                self.assertIn("Signature verification: ok", result.stdout)
                self.assertNotEqual(self.verify(self.signed / name, anchor="stranger").returncode, 0,
                                    "another authority does not vouch for it")
        unsigned = self.verify(os.environ["ZINTRA_EXE"])
        self.assertNotEqual(unsigned.returncode, 0, "the unsigned build does not pass")

    def test_signed_program_still_starts_and_clicks(self):
        self.desktop.delete_mouse_data()
        target = ClickTarget(self.desktop)
        self.desktop.start(self.signed / "zintra.exe")
        time.sleep(1.5)  # the program registers its hotkey at start
        self.desktop.move_pointer(*target.centre())
        self.desktop.press_keys(target.window, "F8")
        time.sleep(1.5)
        self.desktop.press_keys(target.window, "F8")
        time.sleep(0.3)
        self.assertGreaterEqual(len(target.downs("LD")), 5, target.events())


if __name__ == "__main__":
    unittest.main(verbosity=2)
