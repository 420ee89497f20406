#!/usr/bin/python3
"""Writes the classic pack's XML: everything but images.xml (pack_art.py) and sounds.xml
(pack_sounds.py).

    tools/pack_xml.py

The files go to resources/data/packs/classic/: the sprites with their animations
(sprites/*.xml), the particle sources, shifters, projectiles, balls, weapons, bricks and
powerups, the four difficulties (game.xml), the pack's header (info.xml) and the levels, whose
layouts are drawn below as text maps. Nothing is random, so a re-run writes the same files.
"""
import os


def rnd(tag, pairs):
    return "<%s>%s</%s>" % (tag, "".join("<randomData><action>%s</action><value>%s</value></randomData>" % (a, v) for a, v in pairs), tag)


def step(name, image, steps=1000, iters=1, on_finish=None, nxt=None, sound=None, particle=None,
         alpha=None, xscale=None, yscale=None, rot=None, ypos=None, target=None, on_start=None):
    s = ["<animationStep>", "<stepName>%s</stepName>" % name]
    s.append("<imageName>%s</imageName>" % image if image else "")
    if isinstance(steps, tuple):
        s.append("<minSteps>%d</minSteps><maxSteps>%d</maxSteps>" % steps)
    else:
        s.append("<minSteps>%d</minSteps><maxSteps>%d</maxSteps>" % (steps, steps))
    s.append("<minIterations>%d</minIterations><maxIterations>%d</maxIterations>" % (iters, iters))
    if on_start: s.append("<onStart>%s</onStart>" % on_start)
    if on_finish: s.append("<onFinish>%s</onFinish>" % on_finish)
    if target: s.append("<targetSpriteName>%s</targetSpriteName>" % target)
    if nxt: s.append(rnd("nextFrame", nxt))
    if sound: s.append(rnd("soundToPlay", [(x, 1) for x in sound]))
    if particle: s.append("<particleSourceName>%s</particleSourceName>" % particle)
    for tag, val in (("alphaShift", alpha), ("xScaleShift", xscale), ("yScaleShift", yscale),
                     ("rotationShift", rot), ("yPositionShift", ypos)):
        if val:
            data, a, b = val
            s.append("<%s><dataName>%s</dataName><startValue>%s</startValue><endValue>%s</endValue><amplitude>1</amplitude></%s>" % (tag, data, a, b, tag))
    s.append("</animationStep>")
    return "".join(x for x in s if x)


def anim(name, steps, nxt=None, mode=None):
    s = "\t<animation>\n\t\t<aniName>%s</aniName>\n" % name
    if nxt: s += "\t\t%s\n" % rnd("nextAnimation", [(nxt, 1)])
    if mode: s += "\t\t<mode>%s</mode>\n" % mode
    for st in steps:
        s += "\t\t%s\n" % st
    return s + "\t</animation>\n"


def hold(name, image, particle=None):
    """A look that stays: one long step that starts over by itself (no sound)."""
    return anim(name, [step("hold", image, 1000, particle=particle)])


def blip(name, image, sound, back, ticks=2, particle=None):
    """A sound on a short step, then back to the resting look."""
    return anim(name, [step("sound", image, ticks, 1, "end", sound=sound, particle=particle)], nxt=back)


def sprite(name, w, h, anims, extra="", parent=None):
    s = "<sprite>\n\t<spriteName>%s</spriteName>\n" % name
    if parent: s += "\t<parentSpriteName>%s</parentSpriteName>\n" % parent
    s += "\t<widthBound>%s</widthBound>\n\t<heightBound>%s</heightBound>\n" % (w, h)
    s += extra
    s += "".join(anims)
    return s + "</sprite>\n"


FADE = ("fade", 1, 0)


# ---------------------------------------------------------------- particles' sprites
def particle_sprite(name, image, life, size, grow=None, spin=None, drift=""):
    steps = [step("fly", image, life, 1, "kill", alpha=FADE, xscale=grow, yscale=grow, rot=spin)]
    return sprite(name, size, size, [anim("fly", steps)], extra=drift)


def particle_sprites():
    parts = "<!-- Particles: every one fades over its short life and ends with \"kill\". -->\n<sprites>\n"
    parts += particle_sprite("spark_particle", "p_spark", 8, 8, drift="\t<ddy>1</ddy>\n\t<accel>0.3</accel>\n")
    parts += particle_sprite("ice_particle", "p_ice", 12, 8, spin=("fade", 0, 180), drift="\t<ddy>1</ddy>\n\t<accel>0.4</accel>\n")
    parts += particle_sprite("flame_particle", "p_flame", 10, 16, grow=("fade", 0, -0.6), drift="\t<ddy>-1</ddy>\n\t<accel>0.2</accel>\n")
    parts += particle_sprite("smoke_particle", "p_smoke", 20, 24, grow=("fade", 0, 1.0), drift="\t<ddy>-1</ddy>\n\t<accel>0.05</accel>\n")
    parts += particle_sprite("trail_particle", "p_trail", 6, 8, grow=("fade", 0, -0.7))
    parts += particle_sprite("debris_particle", "p_debris", 14, 6, spin=("fade", 0, 360), drift="\t<ddy>1</ddy>\n\t<accel>0.5</accel>\n")
    parts += particle_sprite("star_particle", "p_star", 10, 12, grow=("fade", 0, -0.8), spin=("fade", 0, 90))
    parts += particle_sprite("glow_particle", "p_glow", 6, 48, grow=("fade", 0, 1.5))
    parts += particle_sprite("bolt_particle", "p_bolt", 5, 16, spin=("fade", 0, 45))
    parts += "</sprites>\n"
    return parts


# ---------------------------------------------------------------- paddle and weapon
def paddle_sprites():
    pad = "<!-- The paddle and the gun it may carry. -->\n<sprites>\n"
    looks = [
        hold("idle", "paddle"),
        blip("sound_hit", "paddle", ["hit_paddle"], "idle"),
        blip("sound_release", "paddle", ["hit_paddle"], "idle"),
        hold("sticky", "paddle_sticky"),
        blip("sound_sticky", "paddle_sticky", ["powerup_good"], "sticky"),
        anim("_die", [step("burst", "paddle", 2, 1, sound=["paddle_death"], particle="paddle_smoke",
                           nxt=[("fade", 1)]),
                      step("fade", "paddle", 12, 1, "kill", alpha=FADE, particle="paddle_smoke")]),
    ]
    shake = "\t<maxShake>4</maxShake>\n\t<dShake>-0.25</dShake>\n"
    pad += sprite("paddle_sprite", 96, 18, looks, extra=shake)
    # A game start copies the sprite named "paddle" for the game's own paddle.
    pad += sprite("paddle", 96, 18, looks, extra=shake)
    pad += sprite("gun_sprite", 16, 16, [
        hold("idle", "weapon_mount"),
        blip("_fire", "weapon_mount", ["weapon_fire"], "idle", particle="muzzle_sparks"),
    ])
    pad += sprite("shot_sprite", 6, 10, [
        hold("Standard", "weapon_shot", particle="shot_trail"),
        anim("kill", [step("pop", "weapon_shot", 3, 1, "kill", alpha=FADE)]),
    ])
    pad += "</sprites>\n"
    return pad


# ---------------------------------------------------------------- balls
def ball_sprite(name, standard):
    return sprite(name, 14, 14, [
        hold("Standard", standard, particle="trail_white"),
        hold("Fireball", "ball_fire", particle="trail_fire"),
        hold("Iceball", "ball_ice", particle="trail_ice"),
        hold("Shockball", "ball_shock", particle="trail_shock"),
        hold("Plow", "ball_plow", particle="trail_white"),
        hold("Smart", "ball_smart", particle="trail_white"),
        blip("_explode", "ball_fire", ["explosion"], "Fireball", particle="blast_flames"),
        blip("_ice_hit", "ball_ice", ["ice_freeze"], "Iceball", particle="ice_shards"),
        anim("kill", [step("fade", standard, 8, 1, "kill", alpha=FADE)]),
    ], extra="\t<maxVel>10</maxVel>\n")


def ball_sprites():
    balls = "<!-- Every ball wears the same set of looks; the ball's kind picks one. -->\n<sprites>\n"
    balls += ball_sprite("ball_sprite", "ball_normal")
    # A game start fills its ball pool with copies of the sprite named "ball".
    balls += ball_sprite("ball", "ball_normal")
    balls += ball_sprite("plow_ball_sprite", "ball_plow")
    balls += ball_sprite("smart_ball_sprite", "ball_smart")
    balls += "</sprites>\n"
    return balls


# ---------------------------------------------------------------- bricks
def brick_sprite(name, image, hit_sound="hit_brick_2", kill_particle="brick_debris", kill_sound="brick_break",
                 struck_image=None):
    a = [hold("idle", image),
         blip("sound_struck", image, [hit_sound], "idle", ticks=1),
         blip("sound_freeze", image, ["ice_freeze"], "idle", ticks=1, particle="ice_shards"),
         anim("Struck", [step("flash", struck_image or image, 3, 1, "end", particle="brick_debris")], nxt="idle"),
         anim("kill", [step("break", image, 2, 1, sound=[kill_sound], particle=kill_particle, nxt=[("fade", 1)]),
                       step("fade", image, 6, 1, "kill", alpha=FADE, xscale=("fade", 0, 0.2), yscale=("fade", 0, 0.2))]),
         anim("frozen_kill", [step("shatter", image, 2, 1, sound=["ice_break"], particle="ice_shards", nxt=[("fade", 1)]),
                              step("fade", image, 6, 1, "kill", alpha=FADE)])]
    return sprite(name, 48, 20, a, extra="\t<maxShake>2</maxShake>\n")


def brick_sprites():
    br = "<!-- Bricks: 48 by 20, fifteen across the field. -->\n<sprites>\n"
    for c in ["red", "orange", "yellow", "green", "blue", "purple"]:
        br += brick_sprite("brick_%s_sprite" % c, "brick_" + c, hit_sound="hit_brick_%d" % (1 + ["red", "orange", "yellow", "green", "blue", "purple"].index(c) % 4))
    br += brick_sprite("tough_1_sprite", "brick_tough_1", hit_sound="brick_crack")
    br += brick_sprite("tough_2_sprite", "brick_tough_2", hit_sound="brick_crack")
    br += brick_sprite("tough_3_sprite", "brick_tough_3", hit_sound="brick_crack")
    br += brick_sprite("steel_sprite", "brick_steel", hit_sound="hit_metal")
    br += brick_sprite("explosive_sprite", "brick_explosive", hit_sound="hit_brick_1", kill_particle="blast_flames", kill_sound="explosion")
    br += brick_sprite("burnable_sprite", "brick_burnable", hit_sound="hit_brick_1", kill_particle="burn_flames", kill_sound="fire_burn")
    br += brick_sprite("iceproof_sprite", "brick_iceproof", hit_sound="hit_brick_4")
    br += brick_sprite("key_sprite", "brick_key", hit_sound="hit_brick_3", kill_particle="key_stars", kill_sound="key_unlock")
    br += brick_sprite("locked_sprite", "brick_locked", hit_sound="hit_metal", kill_particle="key_stars", kill_sound="key_unlock")
    br += brick_sprite("gold_sprite", "brick_gold", hit_sound="hit_brick_4", kill_particle="key_stars")
    br += brick_sprite("shield_sprite", "brick_shield", hit_sound="shield_hit", kill_particle="shock_bolts", kill_sound="shield_hit")
    br += "</sprites>\n"
    return br


# ---------------------------------------------------------------- nain, hand and projectiles
def projectile_sprite(name, image, trail):
    return sprite(name, 12, 12, [
        hold("held", image),
        anim("falling", [step("spin", image, 40, particle=trail, rot=("fade", 0, 720))]),
        anim("burst", [step("pop", image, 2, 1, sound=["projectile_hit"], particle="brick_debris", nxt=[("fade", 1)]),
                       step("fade", image, 5, 1, "kill", alpha=FADE)]),
    ], extra="\t<maxVel>9</maxVel>\n")


def nain_sprites():
    nain = sprite("nain_sprite", 28, 36, [
        hold("at rest", "nain_sit"),
        anim("Start projectile", [step("wind up", "nain_throw", 12, 1, "end")], nxt="Launch projectile"),
        anim("Launch projectile", [step("throw", "nain_throw", 2, 1, "end", sound=["throw"])], nxt="Projectile follow-through"),
        anim("Projectile follow-through", [step("after", "nain_throw", 6, 1, "end")], nxt="at rest"),
        hold("falling", "nain_fall"),
        anim("burst", [step("pop", "nain_fall", 2, 1, sound=["nain_burst"], particle="nain_stars", nxt=[("fade", 1)]),
                       step("fade", "nain_fall", 6, 1, "kill", alpha=FADE, xscale=("fade", 0, 0.5), yscale=("fade", 0, 0.5))]),
        anim("sound_stop", [step("gone", "nain_fall", 1, 1, "end")], nxt="falling"),
        blip("sound_babble", "nain_fall", ["nain_babble_1", "nain_babble_2", "nain_babble_3", "nain_babble_4"], "falling", ticks=3),
        blip("sound_bounce", "nain_fall", ["nain_bounce"], "falling", ticks=2),
        blip("sound_hit", "nain_fall", ["nain_babble_3"], "falling", ticks=2),
        blip("sound_ice_hit", "nain_frozen", ["ice_freeze"], "falling", ticks=2, particle="ice_shards"),
        anim("_burn", [step("scorch", "nain_burnt", 10, 1, "end", sound=["fire_burn"], particle="nain_smoke")], nxt="falling"),
        anim("zapped", [step("jolt", "nain_angry", 6, 1, particle="shock_bolts", nxt=[("fade", 1)]),
                        step("fade", "nain_burnt", 8, 1, "kill", alpha=FADE, particle="nain_smoke")]),
        blip("sound_shock_hit", "nain_angry", ["shock_zap"], "zapped", ticks=1, particle="shock_bolts"),
        anim("_bullseye", [step("cheer", "nain_angry", 10, 1, "end", sound=["nain_babble_2"])], nxt="at rest"),
        anim("knock hat", [step("knock", "nain_fall", 2, 1, "end")], nxt="falling"),
        anim("_kill paddle", [step("gloat", "nain_angry", 20, 1, "end", sound=["nain_babble_4"])], nxt="at rest"),
        anim("distracted", [step("dizzy", "nain_frozen", 40, 1, "end")], nxt="at rest"),
        anim("angry", [step("rage", "nain_angry", 30, 1, "end", sound=["nain_babble_3"])], nxt="at rest"),
    ], extra="\t<maxVel>8</maxVel>\n\t<maxShake>2</maxShake>\n\t<dShake>-0.2</dShake>\n")
    hand = sprite("nain_hand_sprite", 10, 10, [
        anim("held", [step("hold", "", 1000)]),
    ], extra="\t<x>22</x>\n\t<y>2</y>\n", parent="nain_sprite")

    nx = "<!-- The nain sits on bricks and throws; its hand holds what it throws. -->\n<sprites>\n"
    nx += nain + hand
    nx += projectile_sprite("rock_sprite", "proj_rock", "trail_dust")
    nx += projectile_sprite("snowball_sprite", "proj_snowball", "trail_ice")
    nx += projectile_sprite("bomb_sprite", "proj_bomb", "trail_smoke")
    nx += "</sprites>\n"
    return nx


# ---------------------------------------------------------------- powerups' sprites
GOOD, BAD, GOLD = "powerup_good", "powerup_bad", "powerup_points"
POWERUPS = [
    # name, image, award sound, fields (tag, value)
    ("expand", "pu_expand", GOOD, [("dPaddleXScale", "0.3")]),
    ("shrink", "pu_shrink", BAD, [("dPaddleXScale", "-0.25")]),
    ("sticky", "pu_sticky", GOOD, [("isPaddleSticky", "1"), ("paddleJumpToAnimation", "sound_sticky")]),
    ("bouncy", "pu_slow", GOOD, [("dPaddleElasticity", "-0.1"), ("dBallSpeed", "-1.5")]),
    ("fast", "pu_fast", BAD, [("dBallSpeed", "2")]),
    ("multiball", "pu_multiball", "powerup_good_2", [("dBallSplit", "1")]),
    ("fireball", "pu_fireball", "powerup_good_2", [("isFireball", "24"), ("isIceball", "0"), ("isShockball", "0")]),
    ("iceball", "pu_iceball", "powerup_good_2", [("isIceball", "1"), ("isFireball", "0"), ("isShockball", "0")]),
    ("shockball", "pu_shockball", "powerup_good_2", [("isShockball", "1"), ("isFireball", "0"), ("isIceball", "0")]),
    ("plow", "pu_plow", "powerup_good_2", [("isBrickplow", "1"), ("ballJumpToAnimation", "Plow")]),
    ("smart", "pu_smart", "powerup_good_2", [("isSmartball", "3"), ("ballJumpToAnimation", "Smart")]),
    ("timewarp", "pu_timewarp", GOOD, [("globalSpeedTarget", "0.6"), ("globalSpeedRate", "10"), ("globalSpeedDuration", "300")]),
    ("shaker", "pu_shaker", GOOD, [("isBrickShaker", "1")]),
    ("distract", "pu_naindistract", GOOD, [("nainDistractAnimation", "distracted"), ("nainDistractTTL", "150")]),
    ("calm", "pu_nainfreeze", GOOD, [("dNainAggression", "0.5")]),
    ("rage", "pu_nainrage", BAD, [("dNainAggression", "2"), ("nainDistractAnimation", "angry"), ("nainDistractTTL", "1")]),
    ("gun", "pu_gun", GOOD, [("awardWeaponName", "blaster")]),
    ("life", "pu_life", "extra_life", [("addToLives", "1")]),
    ("points", "pu_points", GOLD, [("addToScore", "500")]),
    ("multiplier", "pu_multiplier", GOLD, [("addToScoreMultiplier", "1")]),
    ("jackpot", "pu_multiplier", GOLD, [("setScoreMultiplierTo", "4"), ("addToScore", "250")]),
    ("shield", "pu_shield", GOOD, [("createSheildFromBrick", "shield"), ("numberOfBricksInShield", "6")]),
    ("music", "pu_music", GOOD, [("overrideMusicSong", "music_bonus"), ("overrideMusicDuration", "600"), ("addToScore", "100")]),
    ("reverse", "pu_reverse", BAD, [("dPaddlePositionModifier", "-1")]),
    ("exit", "pu_exit", GOLD, [("finishLevel", "1"), ("addToScore", "1000")]),
]


def powerup_sprites():
    pu = "<!-- Falling capsules: \"create\" when released, \"award\" when caught. -->\n<sprites>\n"
    for name, image, award, _ in POWERUPS:
        pu += sprite("pu_%s_sprite" % name, 28, 28, [
            anim("create", [step("spawn", image, 2, 1, sound=["powerup_release"], particle="powerup_glint", nxt=[("fall", 1)]),
                            step("fall", image, 1000)]),
            anim("award", [step("flash", image, 6, 1, "kill", sound=[award], particle="key_stars",
                                alpha=FADE, xscale=("fade", 0, 0.6), yscale=("fade", 0, 0.6))]),
        ], extra="\t<maxVel>6</maxVel>\n")
    pu += "</sprites>\n"
    return pu


def elements(root, items, comment):
    return "<!-- %s -->\n<%s>\n%s</%s>\n" % (comment, root, "".join(items), root)


def el(tag, fields):
    inner = "".join("\t\t<%s>%s</%s>\n" % (k, v, k) for k, v in fields)
    return "\t<%s>\n%s\t</%s>\n" % (tag, inner, tag)


def powerups_xml():
    items = [el("powerup", [("name", n), ("spriteName", "pu_%s_sprite" % n)] + f) for n, _, _, f in POWERUPS]
    return elements("powerups", items, "What the paddle can catch.")


# ---------------------------------------------------------------- shifters and particle sources
SHIFTERS_XML = """<!-- Curves for the animation steps: "fade" rises evenly from 0 to 1 over a step. -->
<shifters>
	<shifterData>
		<name>fade</name>
		<startX>0</startX>
		<endX>1</endX>
		<totalSteps>16</totalSteps>
		<isNormalized>1</isNormalized>
		<plottingFunction>VAR</plottingFunction>
	</shifterData>
</shifters>
"""

SOURCES = [
    # name, sprite, rate, spread vel, extra
    ("trail_white", "trail_particle", 1.1, 0.3, []),
    ("trail_fire", "flame_particle", 1.25, 0.6, [("dy", "-0.5")]),
    ("trail_ice", "ice_particle", 1.15, 0.5, []),
    ("trail_shock", "bolt_particle", 1.15, 0.8, []),
    ("trail_dust", "debris_particle", 1.1, 0.4, []),
    ("trail_smoke", "smoke_particle", 1.1, 0.3, [("dy", "-0.5")]),
    ("shot_trail", "spark_particle", 1.2, 0.5, [("dy", "1")]),
    ("muzzle_sparks", "spark_particle", 4, 2, [("dy", "-1"), ("randomDx", "0.6")]),
    ("blast_flames", "flame_particle", 6, 3, [("randomDx", "1"), ("randomDy", "1")]),
    ("burn_flames", "flame_particle", 5, 2, [("dy", "-1"), ("randomDx", "0.5")]),
    ("ice_shards", "ice_particle", 5, 2.5, [("randomDx", "1"), ("randomDy", "1")]),
    ("brick_debris", "debris_particle", 5, 2.5, [("randomDx", "1"), ("dy", "-0.5"), ("randomDy", "0.5")]),
    ("key_stars", "star_particle", 4, 2, [("randomDx", "1"), ("randomDy", "1")]),
    ("nain_stars", "star_particle", 5, 2, [("randomDx", "1"), ("randomDy", "1")]),
    ("nain_smoke", "smoke_particle", 1.5, 0.5, [("dy", "-1"), ("randomDx", "0.3")]),
    ("shock_bolts", "bolt_particle", 3, 2, [("randomDx", "1"), ("randomDy", "1")]),
    ("paddle_smoke", "smoke_particle", 3, 1, [("dy", "-1"), ("randomDx", "0.5")]),
    ("powerup_glint", "glow_particle", 2, 0.2, [("style", "point")]),
]


def particles_xml():
    src = [el("particleSource", [("name", n), ("spriteName", s), ("rate", r), ("randomVel", v), ("randomRot", "20")] + x)
           for n, s, r, v, x in SOURCES]
    return elements("particles", src, "Particle sources; the steps that feed them name them.")


# ---------------------------------------------------------------- projectiles, balls, weapons
def projectiles_xml():
    return elements("projectiles", [
        el("projectile", [("name", "rock"), ("spriteName", "rock_sprite"), ("throwMinVert", "-1"), ("throwMaxVert", "-0.5"),
                          ("throwMinVel", "2"), ("throwMaxVel", "3"), ("throwXCoefficient", "300"), ("throwXError", "0.1"),
                          ("throwRot", "10"), ("stun", "1"), ("points", "5")]),
        el("projectile", [("name", "snowball"), ("spriteName", "snowball_sprite"), ("throwMinVert", "-1.2"), ("throwMaxVert", "-0.6"),
                          ("throwMinVel", "2.5"), ("throwMaxVel", "3.5"), ("throwXCoefficient", "280"), ("throwXError", "0.15"),
                          ("throwRot", "5"), ("stun", "2"), ("points", "10")]),
        el("projectile", [("name", "bomb"), ("spriteName", "bomb_sprite"), ("throwMinVert", "-0.8"), ("throwMaxVert", "-0.4"),
                          ("throwMinVel", "2"), ("throwMaxVel", "2.5"), ("throwXCoefficient", "320"), ("throwXError", "0.05"),
                          ("throwRot", "15"), ("stun", "3"), ("points", "20")]),
    ], "What nains throw at the paddle.")


def balls_xml():
    return elements("balls", [
        el("ball", [("ballName", "plain"), ("spriteName", "ball_sprite"), ("vel", "5"), ("maxVel", "10")]),
        el("ball", [("ballName", "fire"), ("spriteName", "ball_sprite"), ("isFireball", "24"), ("vel", "5"), ("maxVel", "10")]),
        el("ball", [("ballName", "ice"), ("spriteName", "ball_sprite"), ("isIceball", "1"), ("vel", "5"), ("maxVel", "10")]),
        el("ball", [("ballName", "shock"), ("spriteName", "ball_sprite"), ("isShockball", "1"), ("vel", "5"), ("maxVel", "10")]),
        el("ball", [("ballName", "plow"), ("spriteName", "plow_ball_sprite"), ("isBrickplow", "1"), ("vel", "5"), ("maxVel", "10")]),
        el("ball", [("ballName", "smart"), ("spriteName", "smart_ball_sprite"), ("isSmart", "3"), ("vel", "5"), ("maxVel", "10")]),
        el("ball", [("ballName", "bolt"), ("spriteName", "shot_sprite"), ("dx", "0"), ("dy", "-1"), ("vel", "9"), ("maxVel", "12"),
                    ("hitsRemaining", "1")]),
    ], "Ball templates: one of each kind, and the gun's bolt.")


def weapons_xml():
    return elements("weapons", [
        el("weapon", [("weaponName", "blaster"), ("weaponSpriteName", "gun_sprite"), ("shotsGeneratedName", "bolt"),
                      ("rateOfFire", "8"), ("muzzleVelocity", "9"), ("xOffsetFactor", "0.8"), ("yOffsetFactor", "1"),
                      ("isMirrored", "1"), ("isAlternating", "1")]),
    ], "The gun a powerup puts on the paddle.")


# ---------------------------------------------------------------- bricks
def brick(name, sprite_name, points, fields=(), table=None):
    f = [("brickName", name), ("spriteName", sprite_name), ("isSolid", "1"), ("points", str(points))] + list(fields)
    s = el("brick", f)
    if table:
        s = s.replace("\t</brick>\n", "\t\t%s\n\t</brick>\n" % rnd("powerupGenerated", table))
    return s


PLAIN_TABLE = [("none", 24), ("expand", 2), ("multiball", 2), ("points", 2), ("bouncy", 1), ("sticky", 1),
               ("fast", 1), ("shrink", 1), ("life", 1), ("timewarp", 1), ("music", 1)]
NOT_BURNABLE = [("isBurnable", "0")]


def bricks_xml():
    bricks = []
    for i, c in enumerate(["red", "orange", "yellow", "green", "blue", "purple"]):
        bricks.append(brick(c, "brick_%s_sprite" % c, 10 + 2 * i, NOT_BURNABLE, PLAIN_TABLE))
    bricks.append(brick("tough", "tough_1_sprite", 20, NOT_BURNABLE + [("nextBrickName", "tough_cracked")]))
    bricks.append(brick("tough_cracked", "tough_2_sprite", 20, NOT_BURNABLE + [("nextBrickName", "tough_broken")]))
    bricks.append(brick("tough_broken", "tough_3_sprite", 20, NOT_BURNABLE, [("none", 6), ("points", 1), ("multiplier", 1), ("plow", 1)]))
    bricks.append(brick("explosive", "explosive_sprite", 30, [("isBurnable", "1"), ("isExplosive", "1")]))
    bricks.append(brick("wood", "burnable_sprite", 25, [("isBurnable", "1"), ("strength", "2")], [("none", 8), ("fireball", 1)]))
    bricks.append(brick("iceproof", "iceproof_sprite", 15, NOT_BURNABLE + [("isFreezeable", "0"), ("iceDamage", "1")]))
    bricks.append(brick("key", "key_sprite", 50, NOT_BURNABLE + [("keyBrickName", "locked")]))
    bricks.append(brick("locked", "locked_sprite", 20, [("mustClear", "0"), ("isBurnable", "0"), ("isFreezeable", "0"),
                         ("physicalDamage", "0"), ("fireDamage", "0"), ("iceDamage", "0"), ("electricDamage", "0")]))
    bricks.append(brick("gold", "gold_sprite", 50, NOT_BURNABLE, [("expand", 1), ("multiball", 1), ("points", 1), ("life", 1), ("smart", 1), ("shockball", 1)]))
    bricks.append(brick("steel", "steel_sprite", 0, [("mustClear", "0"), ("isBurnable", "0"), ("isFreezeable", "0"),
                         ("physicalDamage", "0"), ("fireDamage", "0"), ("iceDamage", "0"), ("electricDamage", "0")]))
    bricks.append(brick("shield", "shield_sprite", 5, [("mustClear", "0"), ("isBurnable", "0"), ("isFreezeable", "0")]))
    return elements("bricks", bricks, "Brick kinds. Locked bricks go only with their key and are never counted as bricks to clear.")


# ---------------------------------------------------------------- difficulties, header
GAME_XML = """<!-- The pack's difficulties; "Normal" leaves every level as written. -->
<game>
	<difficulty>
		<name>Easy</name>
		<dBallStartSpeed>0.85</dBallStartSpeed>
		<dBallMaxSpeed>0.9</dBallMaxSpeed>
		<dPaddleSize>1.2</dPaddleSize>
		<dNainFreq>1.5</dNainFreq>
		<dNainAggression>1.5</dNainAggression>
		<dNainBounces>1</dNainBounces>
		<dPointValues>0.75</dPointValues>
		<extraBrickPowerups>
			<randomData><action>expand</action><value>2</value></randomData>
			<randomData><action>life</action><value>1</value></randomData>
			<randomData><action>shield</action><value>1</value></randomData>
		</extraBrickPowerups>
		<extraNainPowerups>
			<randomData><action>life</action><value>1</value></randomData>
		</extraNainPowerups>
	</difficulty>
	<difficulty>
		<name>Normal</name>
	</difficulty>
	<difficulty>
		<name>Hard</name>
		<dBallStartSpeed>1.15</dBallStartSpeed>
		<dBallMaxSpeed>1.1</dBallMaxSpeed>
		<dPaddleSize>0.9</dPaddleSize>
		<dNainFreq>0.75</dNainFreq>
		<dNainAggression>0.75</dNainAggression>
		<dPointValues>1.5</dPointValues>
		<extraBrickPowerups>
			<randomData><action>fast</action><value>1</value></randomData>
		</extraBrickPowerups>
	</difficulty>
	<difficulty>
		<name>Insane</name>
		<dBallStartSpeed>1.3</dBallStartSpeed>
		<dBallMaxSpeed>1.25</dBallMaxSpeed>
		<dPaddleSize>0.8</dPaddleSize>
		<dNainFreq>0.5</dNainFreq>
		<dNainAggression>0.5</dNainAggression>
		<dNainBounces>-1</dNainBounces>
		<dGameSpeed>1.15</dGameSpeed>
		<dPointValues>2</dPointValues>
		<extraBrickPowerups>
			<randomData><action>fast</action><value>1</value></randomData>
			<randomData><action>shrink</action><value>1</value></randomData>
			<randomData><action>reverse</action><value>1</value></randomData>
		</extraBrickPowerups>
		<extraNainPowerups>
			<randomData><action>rage</action><value>1</value></randomData>
		</extraNainPowerups>
	</difficulty>
</game>
"""
INFO_XML = """<?xml version="1.0" encoding="ISO-8859-1"?>
<info>
	<name>Classic</name>
	<saveName>classic</saveName>
	<readMe>The game's own pack: thirteen levels that bring in one idea at a time, plain and tough bricks, nains, ice, fire, keys, guns and shields, and then mix them.</readMe>
	<loadingImage>images/bg_nebula.png</loadingImage>
	<startingLives>3</startingLives>
</info>
"""


# ---------------------------------------------------------------- levels
LEGEND = {"r": "red", "o": "orange", "y": "yellow", "g": "green", "b": "blue", "p": "purple", "T": "tough",
          "X": "explosive", "W": "wood", "I": "iceproof", "K": "key", "L": "locked", "$": "gold", "S": "steel"}


def nain(projectiles, aggression, frequency, bounces, points, table):
    return ("\t<nain>\n\t\t<name>nain</name>\n\t\t<spriteName>nain_sprite</spriteName>\n"
            "\t\t<projectileHardpointName>nain_hand_sprite</projectileHardpointName>\n"
            "\t\t<aggression>%d</aggression>\n\t\t<frequency>%d</frequency>\n\t\t<maxBounces>%d</maxBounces>\n"
            "\t\t<rootPointValue>%d</rootPointValue>\n\t\t%s\n\t\t%s\n\t</nain>\n"
            % (aggression, frequency, bounces, points, rnd("powerupGenerated", table),
               rnd("projectileToThrow", [(p, 1) for p in projectiles])))


def level(file, name, music, background, rows, next_level, nains="", gold=None, top=60):
    bricks = []
    for r, row in enumerate(rows):
        assert len(row) == 15, (name, row)
        for c, ch in enumerate(row):
            if ch == ".":
                continue
            x, y = 4 + 48 * c, top + 20 * r
            extra = ""
            if ch == "$" and gold:
                extra = rnd("powerupGenerated", gold)
            bricks.append("\t<brick><brickName>%s</brickName><x>%d</x><y>%d</y>%s</brick>\n" % (LEGEND[ch], x, y, extra))
    if next_level:
        finish = ("\t<goal>\n\t\t<goalType>clear level</goalType>\n\t\t<successType>level</successType>\n"
                  "\t\t<successAction>%s</successAction>\n\t</goal>\n" % next_level)
    else:
        finish = ("\t<goal>\n\t\t<goalType>clear level</goalType>\n\t\t<successType>game over</successType>\n"
                  "\t\t<successAction>100</successAction>\n\t</goal>\n"
                  "\t<goal>\n\t\t<goalType>clear level</goalType>\n\t\t<successType>fade out</successType>\n"
                  "\t\t<successAction>100</successAction>\n\t</goal>\n")
    text = ("<level>\n\t<levelName>%s</levelName>\n\t<music>%s</music>\n\t<background>images/%s</background>\n"
            "\t<paddle>\n\t\t<spriteName>paddle_sprite</spriteName>\n\t</paddle>\n" % (name, music, background))
    text += finish
    text += ("\t<goal>\n\t\t<goalType>lose ball</goalType>\n\t\t<successType>lose life</successType>\n"
             "\t\t<successAction>1</successAction>\n\t</goal>\n"
             "\t<goal>\n\t\t<goalType>lose ball</goalType>\n\t\t<successType>kill paddle</successType>\n\t</goal>\n"
             "\t<goal>\n\t\t<goalType>game over</goalType>\n\t\t<successType>game over</successType>\n"
             "\t\t<successAction>50</successAction>\n\t</goal>\n")
    text += ("\t<ball>\n\t\t<ballName>starter</ballName>\n\t\t<spriteName>ball_sprite</spriteName>\n"
             "\t\t<isLive>1</isLive>\n\t\t<isStuck>82</isStuck>\n\t\t<dy>-1</dy>\n\t\t<vel>5</vel>\n\t\t<maxVel>9</maxVel>\n\t</ball>\n")
    text += nains
    text += "".join(bricks)
    text += "</level>\n"
    return text


# (file, name, music, background, rows) and the keywords of level(), in playing order.
LEVELS = []


def add(*args, **kw):
    LEVELS.append((args, kw))


ROCKS = nain(["rock"], 160, 240, 2, 50, [("points", 3), ("expand", 2), ("multiball", 1), ("life", 1), ("distract", 1), ("calm", 1)])

add("01_first_light.xml", "First Light", "music_level1", "bg_ocean.png", [
    "...............",
    "..rrrrrrrrrrr..",
    "..ooooooooooo..",
    "..yyyyyyyyyyy..",
])
add("02_rainbow.xml", "Rainbow", "music_level1", "bg_forest.png", [
    "r.............r",
    "oo...........oo",
    "yyy.........yyy",
    "gggg...$...gggg",
    "bbbbb.....bbbbb",
    "pppppp...pppppp",
], gold=[("expand", 1), ("multiball", 1), ("smart", 1)])
add("03_rivets.xml", "Rivets", "music_level1", "bg_ember.png", [
    "...............",
    "..TTT.....TTT..",
    "..rrr.....rrr..",
    ".....TTTTT.....",
    ".....ooooo.....",
    "..yyyyyyyyyyy..",
])
add("04_gnome_watch.xml", "Gnome Watch", "music_level2", "bg_forest.png", [
    "...............",
    ".ggggggggggggg.",
    "...............",
    ".bbbbbbbbbbbbb.",
    "...............",
    "...TTT...TTT...",
], nains=ROCKS)
add("05_cold_snap.xml", "Cold Snap", "music_level3", "bg_ocean.png", [
    "...............",
    ".IIIIIIIIIIIII.",
    ".bbbbbb$bbbbbb.",
    ".bbbbbbbbbbbbb.",
    "...I...I...I...",
], gold=[("iceball", 1)])
add("06_wildfire.xml", "Wildfire", "music_level2", "bg_ember.png", [
    "...............",
    ".WWWWWWWWWWWWW.",
    ".WWWWWWXWWWWWW.",
    ".WWWXWWWWWXWWW.",
    ".rrrrrr$rrrrrr.",
], gold=[("fireball", 1)])
add("07_lock_and_key.xml", "Lock and Key", "music_level1", "bg_nebula.png", [
    "...............",
    "LLLLLLLLLLLLLLL",
    ".ppppppppppppp.",
    ".......K.......",
    ".ooooo...ooooo.",
])
add("08_armoury.xml", "Armoury", "music_level2", "bg_ember.png", [
    "...............",
    ".TTTTTTTTTTTTT.",
    ".rrrrr$r$rrrrr.",
    ".TTTTTTTTTTTTT.",
], gold=[("gun", 1)])
add("09_safety_net.xml", "Safety Net", "music_level3", "bg_forest.png", [
    "...............",
    "ggggggg$ggggggg",
    ".y.y.y.y.y.y.y.",
    "bbbbbbbbbbbbbbb",
    "..$.........$..",
], gold=[("shield", 1)])
add("10_ember_keep.xml", "Ember Keep", "music_level2", "bg_ember.png", [
    "...............",
    ".LLLLLLLLLLLLL.",
    ".LWWWWWXWWWWWL.",
    ".LLLLLLLLLLLLL.",
    "...TTT.K.TTT...",
    ".rrrrr$.$rrrrr.",
], gold=[("fireball", 1), ("expand", 1), ("plow", 1)])
add("11_frost_giants.xml", "Frost Giants", "music_level3", "bg_ocean.png", [
    "...............",
    ".IIIII...IIIII.",
    ".TbbbT...TbbbT.",
    ".bbbbb.$.bbbbb.",
    "...............",
    "..I..I..I..I...",
], nains=nain(["snowball"], 140, 200, 2, 75, [("iceball", 2), ("points", 2), ("life", 1), ("shaker", 1)]),
   gold=[("iceball", 1), ("shockball", 1)])
add("12_gnome_fort.xml", "Gnome Fort", "music_level2", "bg_nebula.png", [
    "...............",
    ".TTTTTTTTTTTTT.",
    ".T.W.X.$.X.W.T.",
    ".TTTTTTTTTTTTT.",
    "...............",
    "ppppppp.ppppppp",
    "LLLLLLLKLLLLLLL",
], nains=nain(["rock", "bomb"], 130, 180, 3, 100, [("points", 2), ("gun", 1), ("shield", 1), ("life", 1), ("distract", 1), ("shaker", 1)]),
   gold=[("gun", 1), ("shield", 1), ("shockball", 1)])
add("13_grand_finale.xml", "Grand Finale", "music_level3", "bg_nebula.png", [
    "...............",
    ".KrrrrLLLrrrrK.",
    ".oWWWXL$LXWWWo.",
    ".yIIIILLLIIIIy.",
    ".gTTTTTTTTTTTg.",
    ".bbbbbbbbbbbbb.",
], nains=nain(["rock", "snowball", "bomb"], 120, 160, 3, 150, [("points", 2), ("life", 1), ("jackpot", 1)]),
   gold=[("fireball", 1), ("iceball", 1), ("exit", 1)])


def level_files():
    """Each level's file, then levels.xml naming them in playing order."""
    entries = []
    for i, (args, kw) in enumerate(LEVELS):
        nxt = LEVELS[i + 1][0][1] if i + 1 < len(LEVELS) else None
        file, name = args[0], args[1]
        yield "levels/" + file, level(file, name, args[2], args[3], args[4], nxt, **kw)
        entries.append("\t<level>\n\t\t<levelName>%s</levelName>\n\t\t<fileName>levels/%s</fileName>\n\t</level>\n" % (name, file))
    yield "levels.xml", elements("levels", entries, "The levels in playing order; each one's \"clear level\" goal names the next.")


# ---------------------------------------------------------------------------


def pack_files():
    """Every file as (path in the pack folder, text)."""
    yield "sprites/particles.xml", particle_sprites()
    yield "sprites/paddle.xml", paddle_sprites()
    yield "sprites/balls.xml", ball_sprites()
    yield "sprites/bricks.xml", brick_sprites()
    yield "sprites/nains.xml", nain_sprites()
    yield "sprites/powerups.xml", powerup_sprites()
    yield "powerups.xml", powerups_xml()
    yield "shifters.xml", SHIFTERS_XML
    yield "particles.xml", particles_xml()
    yield "projectiles.xml", projectiles_xml()
    yield "balls.xml", balls_xml()
    yield "weapons.xml", weapons_xml()
    yield "bricks.xml", bricks_xml()
    yield "game.xml", GAME_XML
    yield "info.xml", INFO_XML
    yield from level_files()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pack = os.path.join(here, "..", "resources", "data", "packs", "classic")
    os.makedirs(os.path.join(pack, "sprites"), exist_ok=True)
    os.makedirs(os.path.join(pack, "levels"), exist_ok=True)
    for path, text in pack_files():
        with open(os.path.join(pack, path), "w", encoding="latin-1") as f:
            f.write(text)


if __name__ == "__main__":
    main()
