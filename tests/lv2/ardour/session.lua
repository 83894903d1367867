-- Quillet K3 in Ardour 7, headless. K3_MODE "create": a session with one
-- stereo track (test signal, then the plug-in by URI), values set, saved,
-- exported. "reload": the saved session reopened, its values printed and
-- exported again. Values and results are printed as "k3 ..." lines.
local dir = os.getenv("K3_SESSION_DIR")
local out = os.getenv("K3_EXPORT_DIR")
local mode = os.getenv("K3_MODE")
local block = tonumber(os.getenv("K3_BLOCK"))
local frames = tonumber(os.getenv("K3_FRAMES"))
local uri = "urn:marrowledge:quillet-k3"
local preset = "6d1f3c52-2a8e-4a37-9b3e-5e0c1e9a7b01"

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
assert(AudioEngine:current_backend_name() == "Dummy", "no dummy backend")
backend:set_buffer_size(block)

local function export(name)
	local e = Session:simple_export()
	e:set_name(name)
	e:set_folder(out)
	assert(e:set_preset(preset), "no export preset")
	e:set_range(0, frames)
	assert(e:run_export(), "export failed")
	print("k3 exported " .. name)
end

local function plugin_of(track)
	for i = 0, 8 do
		local p = track:nth_plugin(i)
		if p:isnil() then break end
		local insert = p:to_insert()
		if not insert:isnil() and insert:plugin(0):unique_id() == uri then return p end
	end
	return nil
end

local function print_values(p)
	local text = "k3 values"
	for i = 0, 10 do
		text = text .. string.format(" %.9g", ARDOUR.LuaAPI.get_processor_param(p, i, true))
	end
	print(text)
end

if mode == "create" then
	assert(create_session(dir, "k3", 48000), "no session")
	print("k3 buffer " .. backend:buffer_size())
	local track = Session:new_audio_track(2, 2, nil, 1, "Echo",
		ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
	local signal = ARDOUR.LuaAPI.new_luaproc(Session, "Quillet Test Signal")
	assert(not signal:isnil(), "no test signal script")
	assert(track:add_processor_by_index(signal, 0, nil, true) == 0)
	local p = ARDOUR.LuaAPI.new_plugin(Session, uri, ARDOUR.PluginType.LV2, "")
	assert(not p:isnil(), "plug-in not found")
	assert(track:add_processor_by_index(p, 1, nil, true) == 0)
	local values = {}
	for v in string.gmatch(os.getenv("K3_VALUES"), "%S+") do values[#values + 1] = tonumber(v) end
	for i = 0, 10 do
		assert(ARDOUR.LuaAPI.set_processor_param(p, i, values[i + 1]), "cannot set " .. i)
	end
	print_values(p)
	Session:save_state("", false, false, false, false, false)
	export("created")
else
	assert(load_session(dir, "k3"), "cannot reopen the session")
	local p = nil
	for t in Session:get_tracks():iter() do p = p or plugin_of(t) end
	assert(p, "the plug-in is gone")
	print_values(p)
	export("reloaded")
end
close_session()
