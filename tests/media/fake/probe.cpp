// The driver probe library of the tests: its presence is all that counts.
extern "C" int fake_emote_probe() { return 1; }
