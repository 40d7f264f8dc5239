"""Demo data for by-hand runs of the web-service simulator: one account and two web projects
with their project.xml, manholes.xml, photos and a short video, all made in a folder when the
simulator starts (the media with gst-launch-1.0), never kept in the repository.
"""

import os
import sys
import uuid

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import demo_media  # noqa: E402

ACCOUNT = {'userName': 'demo', 'password': 'demo', 'id': 'u-demo', 'companyId': 'c-demo'}

# name, manholes with coordinates (latitude, longitude), sections (upstream, downstream, photos, videos)
PROJECTS = [
    ('Harbour Road', [('HR1', 47.3769, 8.5417), ('HR2', 47.3772, 8.5425), ('HR3', 47.3776, 8.5433)],
     [('HR1', 'HR2', ['HR1-HR2_1.JPG', 'HR1-HR2_2.JPG'], ['HR1-HR2.mp4']),
      ('HR2', 'HR3', ['HR2-HR3_1.JPG'], [])]),
    ('Mill Lane', [('ML1', 47.3801, 8.5390), ('ML2', 47.3806, 8.5398)],
     [('ML1', 'ML2', ['ML1-ML2_1.JPG'], [])]),
]
PATTERNS = ['smpte', 'ball', 'snow', 'pinwheel', 'gradient']


def xml_text(text):
    return text.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')


def project_id_of(name):
    """The project's one id: the web service serves the project under the id its project.xml
    carries, so that the program finds the project's files by that id. The same name gives the
    same id at every start, so a project downloaded in an earlier run still matches."""
    return str(uuid.uuid5(uuid.NAMESPACE_URL, 'https://demo.culvertix.invalid/projects/' + name))


def project_xml(project_id, name, sections):
    surveys = []
    for upstream, downstream, photos, videos in sections:
        pictures = ''.join('                <picture path="Photos/%s"/>\n' % xml_text(p) for p in photos)
        movies = ''.join('                <video path="Videos/%s"/>\n' % xml_text(v) for v in videos)
        surveys.append(
            '        <survey>\n'
            '            <survey-id>%s</survey-id>\n'
            '            <type>SEC</type>\n'
            '            <upstream-manhole>%s</upstream-manhole>\n'
            '            <downstream-manhole>%s</downstream-manhole>\n'
            '            <inspection-direction>1</inspection-direction>\n'
            '            <operator>Demo</operator>\n'
            '            <date>2026-03-02T09:00:00Z</date>\n'
            '            <inspected-length>24.000000</inspected-length>\n'
            '            <pictures>\n%s            </pictures>\n'
            '            <videos>\n%s            </videos>\n'
            '        </survey>\n' % (uuid.uuid4(), xml_text(upstream), xml_text(downstream), pictures, movies))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<project version="2">\n'
            '    <project-id>%s</project-id>\n    <name>%s</name>\n    <description>Demo web project</description>\n'
            '    <date>2026-03-02T08:00:00Z</date>\n    <locale>en_US</locale>\n    <distance-unit>m</distance-unit>\n'
            '    <surveys>\n%s    </surveys>\n</project>\n' % (project_id, xml_text(name), ''.join(surveys)))


def manholes_xml(manholes):
    entries = ''.join('        <manhole>\n            <name>%s</name>\n'
                      '            <coordinate>POINT ZM(%.6f %.6f 0 0)</coordinate>\n        </manhole>\n'
                      % (xml_text(name), latitude, longitude) for name, latitude, longitude in manholes)
    return '<?xml version="1.0" encoding="UTF-8"?>\n<project>\n    <manholes>\n%s    </manholes>\n</project>\n' % entries


def build(folder):
    """Makes the demo's storage below folder and returns (scenario, storage folder)."""
    storage = os.path.join(folder, 'storage')
    media_folder = os.path.join(folder, 'media')
    os.makedirs(media_folder, exist_ok=True)
    video = demo_media.make_mp4(os.path.join(media_folder, 'clip.mp4'), seconds=4, width=640, height=360)
    projects = []
    shot = 0
    for name, manholes, sections in PROJECTS:
        project_id = project_id_of(name)
        media = []
        for _, _, photos, videos in sections:
            for photo in photos:
                target = os.path.join(storage, 'storage', 'objects', project_id, 'Photos', photo)
                os.makedirs(os.path.dirname(target), exist_ok=True)
                demo_media.make_jpeg(target, PATTERNS[shot % len(PATTERNS)])
                shot += 1
                media.append({'type': 'Photos', 'name': photo})
            for clip in videos:
                target = os.path.join(storage, 'storage', 'objects', project_id, 'Videos', clip)
                os.makedirs(os.path.dirname(target), exist_ok=True)
                with open(video, 'rb') as source, open(target, 'wb') as copy:
                    copy.write(source.read())
                media.append({'type': 'Videos', 'name': clip})
        projects.append({'projectName': name, 'projectId': project_id, 'webProjectId': 'w-' + project_id,
                         'projectFolderName': name, 'projectImportDate': '2026-03-02T08:00:00Z',
                         'diskUsage': 4 * 1048576,
                         'data': {'Surveys': project_xml(project_id, name, sections), 'Manholes': manholes_xml(manholes)},
                         'media': media})
    return {'accounts': [dict(ACCOUNT)], 'projects': projects}, storage
