-- Builds a session with one MIDI track fed by the test phrase into the
-- plug-in named by ZENTROVA_ARDOUR_PLUGIN, turns its volume down, exports
-- the session and saves it. ZENTROVA_ARDOUR_DIR names the work folder.
local dir = os.getenv("ZENTROVA_ARDOUR_DIR")
local plugin = os.getenv("ZENTROVA_ARDOUR_PLUGIN")
local rate = 48000

AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
local session = create_session(dir .. "/" .. plugin, plugin, rate)
assert(session, "the session cannot be created")

local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local audio = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local info = ARDOUR.LuaAPI.new_plugin_info(plugin, ARDOUR.PluginType.LXVST)
assert(not info:isnil(), plugin .. " was not found on LXVST_PATH")
local track = session:new_midi_track(midi, audio, false, info, nil, nil, 1, plugin,
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false):front()
local notes = ARDOUR.LuaAPI.new_luaproc(session, "Zentrova Test Notes")
assert(not notes:isnil(), "the note script was not found")
track:add_processor_by_index(notes, 0, nil, true)
local synth = track:nth_plugin(1)
assert(synth:display_name() == plugin, "the plug-in is not on its track")
-- The volume (parameter 8) well away from the default patch's, so that a
-- reload that lost the plug-in's chunk would render at another level.
assert(ARDOUR.LuaAPI.set_processor_param(synth, 8, 0.5), "the volume cannot be set")

local export = session:simple_export()
export:set_name("built")
export:set_folder(dir .. "/" .. plugin)
export:set_range(0, 3 * rate)
assert(export:set_preset("75969a1c-3133-4694-864b-a1fa50e43348"), "no WAV export preset")
assert(export:run_export(), "the export failed")

assert(session:save_state("", false, false, false, false, false) == 0, "the session cannot be saved")
print("zentrova: done")
close_session()
