-- Loads the session of the plug-in named by ZENTROVA_ARDOUR_PLUGIN and
-- exports it again.
local dir = os.getenv("ZENTROVA_ARDOUR_DIR")
local plugin = os.getenv("ZENTROVA_ARDOUR_PLUGIN")
local rate = 48000

AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
local session = load_session(dir .. "/" .. plugin, plugin)
assert(session, "the session cannot be loaded")

local export = session:simple_export()
export:set_name("reloaded")
export:set_folder(dir .. "/" .. plugin)
export:set_range(0, 3 * rate)
assert(export:set_preset("75969a1c-3133-4694-864b-a1fa50e43348"), "no WAV export preset")
assert(export:run_export(), "the export failed")
print("zentrova: done")
close_session()
