-- Quillet K3 in Ardour 7, headless. K3_MODE "create": a session with one
-- stereo track (test signal, then the plug-in by URI), values set, saved,
-- exported. "reload": the saved session reopened, its values printed and
-- exported again. "automate": reopened, a line of automation drawn on one
-- parameter of both editions (K3_AUTOMATION), played back in the export.
-- "presets": reopened, Ardour's preset menu of the VST3 edition printed
-- (every entry's label and URI), each factory preset loaded from it as the
-- plug-in's program (K3_PRESETS: the names, "|" between them), its values
-- printed; then K3_EXPORT_PRESET loaded and the VST3 track exported. Values
-- and results are printed as "k3 ..." lines.
-- With K3_VST3_ID (the VST3 edition's class ID) a second track holds the
-- VST3 edition with the values of K3_VST3_VALUES; each edition is then
-- exported alone ("export-lv2.wav", then "export-vst3.wav"), the other track's
-- route switched off meanwhile, so both share one Ardour start.
local dir = os.getenv("K3_SESSION_DIR")
local out = os.getenv("K3_EXPORT_DIR")
local mode = os.getenv("K3_MODE")
local block = tonumber(os.getenv("K3_BLOCK"))
local frames = tonumber(os.getenv("K3_FRAMES"))
local uri = "urn:marrowledge:quillet-k3"
local preset = "6d1f3c52-2a8e-4a37-9b3e-5e0c1e9a7b01"
local vst3 = os.getenv("K3_VST3_ID")

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
assert(AudioEngine:current_backend_name() == "Dummy", "no dummy backend")
backend:set_buffer_size(block)

local function export(name, file)
	local e = Session:simple_export()
	e:set_name(name)
	e:set_folder(out)
	assert(e:set_preset(preset), "no export preset")
	e:set_range(0, frames)
	assert(e:run_export(), "export failed")
	if file then assert(os.rename(out .. "/export.wav", out .. "/" .. file)) end
	print("k3 exported " .. name)
end

local function plugin_of(track, id)
	for i = 0, 8 do
		local p = track:nth_plugin(i)
		if p:isnil() then break end
		local insert = p:to_insert()
		if not insert:isnil() and insert:plugin(0):unique_id() == id then return p end
	end
	return nil
end

local function numbers(variable)
	local values = {}
	for v in string.gmatch(os.getenv(variable), "%S+") do values[#values + 1] = tonumber(v) end
	return values
end

-- The test signal, then the plug-in, on a new stereo track.
local function add_track(name, plugin)
	local track = Session:new_audio_track(2, 2, nil, 1, name,
		ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
	local signal = ARDOUR.LuaAPI.new_luaproc(Session, "Quillet Test Signal")
	assert(not signal:isnil(), "no test signal script")
	assert(track:add_processor_by_index(signal, 0, nil, true) == 0)
	assert(not plugin:isnil(), "plug-in not found")
	assert(track:add_processor_by_index(plugin, 1, nil, true) == 0)
	return track
end

-- Each edition alone: the other track's route off while one is exported.
local function export_each(name, lv2_track, vst3_track)
	if not vst3_track then
		export(name)
		return
	end
	vst3_track:set_active(false, nil)
	export(name, "export-lv2.wav")
	vst3_track:set_active(true, nil)
	lv2_track:set_active(false, nil)
	export(name .. "-vst3", "export-vst3.wav")
	lv2_track:set_active(true, nil)
end

-- The eleven values as Ardour shows them, "%.9g" each, a space between.
local function values_text(p)
	local parts = {}
	for i = 0, 10 do
		parts[#parts + 1] = string.format("%.9g", ARDOUR.LuaAPI.get_processor_param(p, i, true))
	end
	return table.concat(parts, " ")
end

-- Lets the engine run until `done` holds, looking every 10 ms; false when it
-- still does not after a generous 30 s (a loaded machine).
local function run_until(done)
	local deadline = os.time() + 30
	while not done() do
		if os.time() > deadline then return false end
		ARDOUR.LuaAPI.usleep(10000)
	end
	return true
end

-- Until the engine has processed `blocks` more blocks.
local function run_blocks(blocks)
	local start = AudioEngine:processed_samples()
	run_until(function() return AudioEngine:processed_samples() >= start + blocks * block end)
end

local function print_values(p, label)
	local text = (label or "k3 values") .. " " .. values_text(p)
	print(text)
end

-- A preset of Ardour's list for the plug-in, loaded; the processor tells
-- Ardour the values with its next blocks: until they are `want` (as
-- values_text gives them; the caller checks what they came to).
local function load_preset(p, uri, want)
	local plugin = p:to_insert():plugin(0)
	local preset = plugin:preset_by_uri(uri)
	assert(preset, "Ardour lists no preset " .. uri)
	assert(plugin:load_preset(preset), "Ardour cannot load " .. uri)
	run_until(function() return values_text(p) == want end)
	return preset
end

if mode == "create" then
	assert(create_session(dir, "k3", 48000), "no session")
	print("k3 buffer " .. backend:buffer_size())
	local p = ARDOUR.LuaAPI.new_plugin(Session, uri, ARDOUR.PluginType.LV2, "")
	local track = add_track("Echo", p)
	local values = numbers("K3_VALUES")
	for i = 0, 10 do
		assert(ARDOUR.LuaAPI.set_processor_param(p, i, values[i + 1]), "cannot set " .. i)
	end
	print_values(p)
	local vst3_track = nil
	if vst3 then
		local p3 = ARDOUR.LuaAPI.new_plugin(Session, vst3, ARDOUR.PluginType.VST3, "")
		vst3_track = add_track("Echo VST3", p3)
		-- Ardour shows a stepped VST3 parameter as its step (plain value).
		values = numbers("K3_VST3_VALUES")
		for i = 0, 10 do
			assert(ARDOUR.LuaAPI.set_processor_param(p3, i, values[i + 1]), "cannot set VST3 " .. i)
		end
		print_values(p3, "k3 vst3 values")
		-- A VST3 processor learns the values from the host's next blocks:
		-- let the engine run a few before the state is saved.
		run_blocks(8)
	end
	Session:save_state("", false, false, false, false, false)
	export_each("created", track, vst3_track)
else
	-- "reload" and "automate" reopen the saved session.
	assert(load_session(dir, "k3"), "cannot reopen the session")
	local p, track, p3, vst3_track = nil, nil, nil, nil
	for t in Session:get_tracks():iter() do
		if not p then
			p = plugin_of(t, uri)
			if p then track = t end
		end
		if vst3 and not p3 then
			p3 = plugin_of(t, vst3)
			if p3 then vst3_track = t end
		end
	end
	assert(p, "the plug-in is gone")
	print_values(p)
	if vst3 then
		assert(p3, "the VST3 plug-in is gone")
		print_values(p3, "k3 vst3 values")
	end
	if mode == "presets" then
		assert(p3, "presets: no VST3 edition")
		local names, wants = {}, {}
		for name in string.gmatch(os.getenv("K3_PRESETS"), "[^|]+") do names[#names + 1] = name end
		for want in string.gmatch(os.getenv("K3_PRESET_VALUES"), "[^|]+") do wants[#wants + 1] = want end
		-- The menu of Ardour's plug-in window: the plug-in's programs
		-- ("VST3-P:ID:NNNN", counted until one is missing) and the preset
		-- files Ardour finds for it ("VST3-S:ID:NAME", which its plug-in info
		-- lists, as its plug-in selector shows them).
		local plugin = p3:to_insert():plugin(0)
		local menu = 0
		while true do
			local record = plugin:preset_by_uri(string.format("VST3-P:%s:%04d", vst3, menu))
			if not record then break end
			print("k3 menu entry " .. record.label .. " = " .. record.uri)
			menu = menu + 1
		end
		local files = 0
		for record in plugin:get_info():get_presets(false):iter() do
			print("k3 menu entry " .. record.label .. " = " .. record.uri)
			files = files + 1
		end
		print("k3 menu entries " .. (menu + files) .. " (" .. menu .. " programs, " .. files .. " files)")
		local export_uri, export_want = nil, nil
		for i, name in ipairs(names) do
			local uri = string.format("VST3-P:%s:%04d", vst3, i - 1)
			local preset = load_preset(p3, uri, wants[i])
			print_values(p3, "k3 program " .. (i - 1) .. " " .. preset.label .. ":")
			if name == os.getenv("K3_EXPORT_PRESET") then export_uri, export_want = uri, wants[i] end
		end
		-- Another preset first, so that loading this one changes the values.
		load_preset(p3, string.format("VST3-P:%s:%04d", vst3, 0), wants[1])
		load_preset(p3, export_uri, export_want)
		track:set_active(false, nil)
		export("preset-vst3", "export-vst3.wav")
		track:set_active(true, nil)
	elseif mode == "automate" then
		-- K3_AUTOMATION "INDEX FROM TO START END": a line from FROM at sample
		-- START to TO at END on that parameter of both editions, played back.
		local a = numbers("K3_AUTOMATION")
		for _, proc in ipairs({ p, p3 }) do
			local al, cl, pd = ARDOUR.LuaAPI.plugin_automation(proc, a[1])
			assert(not al:isnil(), "no automation list for parameter " .. a[1])
			cl:add(Temporal.timepos_t(a[4]), a[2], false, true)
			cl:add(Temporal.timepos_t(a[5]), a[3], false, true)
			-- Play mode on that parameter's control alone (found by its
			-- name): the others keep the values they were saved with.
			local insert = proc:to_insert()
			local played = 0
			for c = 0, insert:plugin(0):parameter_count() do
				local ac = insert:to_automatable():automation_control(
					Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, c), false)
				if not ac:isnil() and ac:name() == pd.label then
					ac:set_automation_state(ARDOUR.AutoState.Play)
					played = played + 1
				end
			end
			assert(played == 1, "no control named " .. pd.label)
		end
		print("k3 automated " .. a[1])
		export_each("automated", track, vst3_track)
	else
		export_each("reloaded", track, vst3_track)
	end
end
print("k3 done")
close_session()
