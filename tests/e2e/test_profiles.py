"""Aircraft profiles through the real bridge and the stand-in: the profile
that matches the loaded aircraft takes over the functions and lamps it
names, follows aircraft changes mid-session, and leaves everything else to
the built-in behaviour."""

import os
import subprocess

import pytest
from processes import wait_until
from test_bridge import Rig

PROFILE = """name = "Test A32NX"
[match]
title = ["Airbus A320*FlyByWire"]
[controls]
heading_outer_inc = { event = "A32NX.FCU_HDG_INC", repeat = 2 }
course1_outer_inc = { lvar = "L:TEST_SELECTOR", add = 1, min = 0, max = 2, wrap = true }
autopilot_master = { event = "A32NX_FCU_AP_1_PUSH" }
autopilot_approach = [ { lvar = "L:TEST_APPR_PUSH", set = 1 }, { lvar = "L:TEST_APPR_PUSH", set = 0 } ]
[lamps]
autopilot_master = "L:A32NX_FCU_AP_1_LIGHT_ON"
heading_hold = "L:TEST_SELECTOR"
"""


class ProfileRig(Rig):
    def bridge_env(self):
        env = super().bridge_env()
        env.update({"XDG_CONFIG_HOME": os.path.join(self.folder, "config"),
                    "VESTREL_PELVAR_SHIPPED_PROFILES": os.path.join(self.folder, "shipped")})
        return env

    def told(self, text):
        assert wait_until(lambda: text in self.bridge.errors()), "the bridge did not say: %s\n%s" % (
            text, self.bridge.errors())

    def standin_says(self, line):
        assert self.standin.wait_for(line), "the stand-in did not log: " + line


@pytest.fixture
def rig(folder, start):
    user = os.path.join(folder, "config", "vestrel-pelvar", "aircraft")
    os.makedirs(user)
    os.makedirs(os.path.join(folder, "shipped"))
    with open(os.path.join(user, "a32nx.toml"), "w") as profile:
        profile.write(PROFILE)
    with open(os.path.join(user, "0-broken.toml"), "w") as profile:
        profile.write('name = "Broken"\n[match]\ntitle = "*"\n[controls]\nheading_outer_incc = "none"\n')
    rig = ProfileRig(folder, start)
    rig.up()
    return rig


def test_profiles(rig):
    default = 'Aircraft "Cessna Skyhawk G1000 Asobo" (SimObjects\\Airplanes\\Asobo_C172sp_AS1000\\aircraft.CFG)'
    rig.told(default + ": no profile")
    # No profile: nothing beyond the catalogue is mapped, and the knob sends its catalogue event.
    assert rig.state()["mapped"] == "104"
    rig.turn((["tap push", "outer 1"], "heading bug 355 + 10, built in", "heading_bug", "5"))

    rig.standin.send("aircraft a32nx")
    rig.told('Aircraft "Airbus A320 Neo FlyByWire" (SimObjects\\Airplanes\\FlyByWire_A320_NEO\\aircraft.CFG): '
             'profile "Test A32NX" from ' + os.path.join(rig.folder, "config/vestrel-pelvar/aircraft/a32nx.toml"))
    rig.panel.send("outer 1")
    for _ in range(2):
        rig.standin_says("aircraft: custom event A32NX.FCU_HDG_INC 0")
    # A name the simulator does not know is told once, with the file and the function.
    rig.told('a32nx.toml: autopilot_master: the simulator does not know the event "A32NX_FCU_AP_1_PUSH"')
    rig.turn((["inner 1"], "heading bug 5 + 1: the inner knob is not in the profile", "heading_bug", "6"))

    # A key's list of actions goes out in order: a press written as 1 then 0.
    rig.panel.send("mode 6", "tap apr")
    rig.standin_says("lvar L:TEST_APPR_PUSH = 1")
    rig.standin_says("lvar L:TEST_APPR_PUSH = 0")
    assert rig.state()["ap_approach"] == "0", "the approach key sent its built-in event as well"

    # The lamp follows the aircraft's L:var, not the autopilot master.
    rig.standin.send("lvar L:A32NX_FCU_AP_1_LIGHT_ON 1")
    assert rig.panel.wait_for("lamps 0x01"), "the AP lamp did not follow its L:var"
    rig.standin.send("lvar L:A32NX_FCU_AP_1_LIGHT_ON 0")
    assert rig.panel.wait_for("lamps 0x00"), "the AP lamp did not go out with its L:var"

    # The aircraft loaded again while its data is held back: the profile is
    # read afresh, and no add goes out before the L:var's first value.
    rig.standin.send("pause", "aircraft a32nx")
    assert wait_until(lambda: rig.bridge.errors().count("Test A32NX") == 2), "the reload chose no profile"
    rig.panel.send("mode 2", "tap push", "outer 1")
    # Reports are handled in order: once the swap is seen, the step before it was too.
    rig.turn((["tap swap"], "NAV1 swap after the early step", "nav1_active", "110.50"))
    rig.standin.send("resume", "lvar L:TEST_SELECTOR 2")
    assert rig.panel.wait_for("lamps 0x02"), "the selector's first value did not arrive"
    rig.panel.send("outer 1", "outer 1", "outer 1")
    for value in ("0", "1", "2"):  # 0 to 2, wrapping
        rig.standin_says("lvar L:TEST_SELECTOR = " + value)
    # An early add would have written 1 from the unknown value before the aircraft's 2.
    assert [line for line in rig.standin.lines if line.startswith("lvar L:TEST_SELECTOR")] == [
        "lvar L:TEST_SELECTOR = " + value for value in "2012"], "an add went out before the first value"

    # Back to the default aircraft: the catalogue event again.
    rig.standin.send("aircraft default")
    assert wait_until(lambda: rig.bridge.errors().count(default + ": no profile") == 2), "no line for the default"
    rig.turn((["mode 0", "tap push", "outer 1"], "heading bug 6 + 10, built in again", "heading_bug", "16"))
    # One line per aircraft change, none for the moment between a load event and its new title;
    # the broken file, read at every change, is told once, and skipped whole each time.
    errors = rig.bridge.errors().splitlines()
    assert len([line for line in errors if line.startswith("Aircraft ")]) == 4
    broken = os.path.join(rig.folder, "config/vestrel-pelvar/aircraft/0-broken.toml")
    refusal = broken + ':5:1: unknown function "heading_outer_incc"; did you mean "heading_outer_inc"?'
    assert errors.count(refusal) == 1

    # The checker, while the bridge runs: the broken file makes it exit 1.
    env = dict(os.environ, **{k: v for k, v in rig.bridge_env().items() if v is not None})
    answer = subprocess.run([os.environ["VP_BRIDGE"], "--check-profiles", "--title", "Airbus A320 Neo FlyByWire"],
                            env=env, capture_output=True, text=True, timeout=10)
    assert answer.returncode == 1 and refusal in answer.stdout, answer
    assert 'profile "Test A32NX" from ' in answer.stdout and "by its title pattern" in answer.stdout, answer
    assert rig.bridge.running()
